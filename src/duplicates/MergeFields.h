#pragma once

#include "contacts/ContactRecord.h"

#include <QString>

// The rows of the merge view: every field of a contact the user chooses a value for. A
// contact number travels with its label.
namespace MergeFields {

int count();
QString caption(int field);
// The value as the merge view shows it; a number as "label: number".
QString shown(const ContactRecord &contact, int field);
bool isEmpty(const ContactRecord &contact, int field);
// Whether two contacts hold the same value, numbers and e-mail addresses in normalized form.
bool same(const ContactRecord &a, const ContactRecord &b, int field);
void copy(const ContactRecord &from, ContactRecord &to, int field);
// Every stored field, labels included, is equal.
bool sameRecord(const ContactRecord &a, const ContactRecord &b);

} // namespace MergeFields
