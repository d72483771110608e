#pragma once

#include "shared/Status.h"

#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

class Database;

// How many contacts each relationship group holds, kept in a table of its own by triggers on
// Contacts, so the contact list of a file of a million contacts opens without counting them.
// The counts follow the file's own comparison of Type (letter case aside), as GROUP BY Type does.
namespace GroupCounts {

struct Definition
{
    QString type;
    QString name;
    QString createStatement;
};

// The table and its triggers, as the program creates them; the file check accepts exactly these.
const QList<Definition> &definitions();

// Creates and fills the counts when the file lacks them (or holds only part of them), and fills
// them afresh when they differ from the contacts (another program may write without the
// triggers' help, or replace rows with INSERT OR REPLACE, which fires no delete trigger), in one
// transaction; a file that cannot be written stays as it is.
Status ensure(Database &database);
// Hands each stored Type with its number of listed contacts (the reserved rows not counted) to
// visit, in the order of GROUP BY Type, when the file holds counts that are right; false when it
// does not. After another program's write the counts are compared with the contacts again and
// filled afresh when they differ; a file not yet writable then answers false.
Result<bool> read(Database &database,
                  const std::function<void(const QVariant &type, int listed)> &visit);

} // namespace GroupCounts
