#pragma once

#include "shared/Status.h"

class Database;

// The checks a file passes before the program trusts it as a data file.
namespace DataFileCheck {

// Before SQLite reads it: the file exists and its header names a Zorvane file of a known version.
Status checkFile(const QString &path);
// On the open connection: the file is intact and holds exactly the program's tables and fields.
Status checkContents(Database &database);

} // namespace DataFileCheck
