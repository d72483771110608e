#pragma once

#include "Card.h"
#include "contacts/ContactRecord.h"

#include <array>

// Between a kept card and its Contacts row. The row is the card's view: the preferred number
// first, up to four numbers with their labels, the preferred e-mail, the first work address (or
// the first address when none is work), and so on, each within its field's limit. What the row
// cannot hold stays in the card.
namespace CardProjection {

// The property behind each field of a projected row; -1 where the card has none.
struct Sources
{
    qsizetype name = -1;
    qsizetype fullName = -1;
    qsizetype title = -1;
    qsizetype group = -1;
    qsizetype company = -1;
    qsizetype address = -1;
    std::array<qsizetype, 4> numbers { -1, -1, -1, -1 };
    qsizetype email = -1;
    qsizetype website = -1;
    qsizetype notes = -1;
};

ContactRecord project(const Card &card, Sources *sources = nullptr);
// Writes the fields that differ between before and after into the card, property by property:
// a changed title changes TITLE and nothing else. A field emptied removes its property.
void apply(Card &card, const ContactRecord &before, const ContactRecord &after);
// The card with what was changed through the row since it was kept (the editor, another
// program, a regrouping) written into it.
Card reconciled(Card card, const ContactRecord &row);
// The card of a contact that came without one.
Card fromRow(const ContactRecord &row);

// The label a telephone's types give: CELL 手机, FAX 传真, PAGER 寻呼机, WORK 办公电话,
// HOME 家庭电话, any other 电话.
QString labelForTypes(const QStringList &types);
// The types written for a label; empty for a label no type names.
QStringList typesForLabel(const QString &label);

// A group card (KIND:group, or Apple's X-ADDRESSBOOKSERVER-KIND:group) lists members, and is
// no person.
bool isGroupCard(const Card &card);
// The UIDs of a group card's members, without "urn:uuid:".
QStringList memberUids(const Card &card);
QString uid(const Card &card);

} // namespace CardProjection
