#pragma once

#include "shared/Status.h"

class Database;

// The checks a file passes before the program trusts it as a data file.
namespace DataFileCheck {

// Before SQLite reads it: the file exists and its header names a Zorvane file of a known version.
Status checkFile(const QString &path);
// Whether the whole-file check of every page runs as the file opens. A larger file is checked in
// a thread once the program's windows show, and written only when it has passed.
bool checkedAtOpening(const QString &path);
// On the open connection: the file holds exactly the program's tables, indexes and triggers, of
// a version this program knows.
Status checkContents(Database &database);

QString notADataFile(const QString &path, const QString &reason);
// The refusal of a file the whole-file check found damaged.
QString damagedFile(const QString &path, const QString &damage);

// What the user is told about a damaged file the program keeps open without writing to it.
QString readOnlyNotice(const QString &path, const QString &damage);

} // namespace DataFileCheck
