#pragma once

#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QList>

class Database;

// Merging contacts that are one person into the oldest of them, and undoing the last merge.
// Nothing is lost: the kept contact's card becomes the union of all their cards, the chosen
// values shown in its row, and every merged row and card is recorded in full so the merge can be
// taken back while nobody has touched those rows since.
namespace ContactMerge {

// For each field (see MergeFields) the position in contacts of the value to keep: the oldest
// contact's, or the first non-empty one when the oldest has none. contacts are in ID order.
QList<int> defaultChoices(const QList<ContactRecord> &contacts);
// The kept contact: the lowest ID and the chosen values.
ContactRecord combine(const QList<ContactRecord> &contacts, const QList<int> &choices);
// Stores the combined contact with the union of the cards (its row then shows the chosen values
// and, in empty number boxes, numbers of the others), deletes the others and records the undo,
// in one transaction.
// Refused, with nothing written, when a row changed since contacts were read from the file.
// The result is the kept contact's ID.
Result<qint64> merge(Database &database, const QList<ContactRecord> &contacts,
                     const QList<int> &choices);
// The IDs of the contacts the last merge touched, the kept one first; empty when there is none.
Result<QList<qint64>> lastMergeContacts(Database &database);
// Whether a recorded merge is there to undo.
Result<bool> canUndo(Database &database);
// Restores the rows of the last merge exactly, IDs included. Refused with the reason when one of
// those rows has changed since. The result is the kept contact's ID.
Result<qint64> undoLast(Database &database);

} // namespace ContactMerge
