#pragma once

#include "GroupCounts.h"
#include "shared/Status.h"

#include <QList>

class Database;

// A change counter per contact, raised by triggers on every write to its row or its kept card,
// whichever program writes through the file: one counter for the whole file, so everything that
// changed after a given moment is one range of an index. Made when a feature first needs it (the
// sync); a file without it opens as before.
namespace ContactChanges {

// The table, its index and its triggers, as the program creates them; the file check accepts
// exactly these.
const QList<GroupCounts::Definition> &definitions();

// Creates the counters (every contact counted as changed) and their triggers when the file lacks
// any of them; call inside a write transaction. True when they were made afresh: what anyone
// remembered of the old counters says nothing any more.
Result<bool> ensure(Database &database);
// The highest counter in the file; 0 when no contact has one.
Result<qint64> latest(Database &database);
// Counts the contact as changed, as a write to it would.
Status touch(Database &database, qint64 contactId);

} // namespace ContactChanges
