#pragma once

#include "shared/Status.h"

#include <QString>

class Database;

// The format version of a data file and the feature tables it carries, kept in a table of the
// program's own (and the version also in the file's header), so every version of the program
// can tell a file it knows from one a newer version has changed.
namespace FileFormat {

QString tableName();
QString createStatement();
// Refusal of a file a newer version of the program has written.
QString newerFileMessage();

// A file whose recorded version is newer than this program's is refused.
Status checkVersion(Database &database);
// Records this version and every feature table the file holds; call inside a write transaction.
Status record(Database &database);
// Records them in a transaction of its own when the file lacks any of it.
Status ensure(Database &database);

} // namespace FileFormat
