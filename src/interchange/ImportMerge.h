#pragma once

#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QByteArray>
#include <QList>

class Database;

// An import into the contacts the file already holds: each incoming contact joins the contact
// of the file with its name. The row's empty fields take the incoming values; everything else
// joins the kept card, so nothing either side held is lost.
namespace ImportMerge {

// How an import compares names: without regard to letter case, as the file does.
QString nameKey(const QString &familyName, const QString &givenName);

// The existing row with its empty fields filled from incoming (the united card's view); a number
// only into an empty box (with its label), an address only as a whole, and the group stays.
ContactRecord filled(const ContactRecord &existing, const ContactRecord &incoming);

// Merges contacts[i] with its kept card cards[i] (empty: made from the row) into the first
// contact of the file with its name; call inside the write transaction. A contact whose name
// the file does not hold is a failure. The result is the number merged.
Result<int> mergeAll(Database &database, const QList<ContactRecord> &contacts,
                     const QList<QByteArray> &cards);

} // namespace ImportMerge
