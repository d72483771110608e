#pragma once

#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QByteArray>
#include <QHash>

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

// The contact of the file each name key stands for, the reserved rows left out.
Result<QHash<QString, qint64>> contactsByName(Database &database);

// Merges incoming with its kept card (empty: made from the row) into the contact with the ID;
// call inside the write transaction.
Status mergeInto(Database &database, qint64 id, const ContactRecord &incoming,
                 const QByteArray &incomingCard);

} // namespace ImportMerge
