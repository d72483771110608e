#pragma once

#include "VCard.h"
#include "contacts/ContactRecord.h"

// Between a card and a contact row: which property fills which field, and the number labels.
namespace VCardMapping {

// False, with a reason, for a card that names nobody.
bool toContact(const VCard &card, ContactRecord &contact, QString &reason);

// The label a telephone's types give: CELL 手机, FAX 传真, PAGER 寻呼机, WORK 办公电话,
// HOME 家庭电话, any other 电话.
QString labelForTypes(const QStringList &types);
// The types written for a label; empty for a label no type names.
QStringList typesForLabel(const QString &label);

} // namespace VCardMapping
