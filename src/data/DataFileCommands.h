#pragma once

#include "shared/Status.h"

#include <QString>

class Database;

// The whole-file commands of the "系统" menu. Each one either completes or leaves every file
// and setting as it was: a target is written under a temporary name beside it and renamed over
// it only when complete.
namespace DataFileCommands {

// The file type every data file dialog offers.
QString fileFilter();

// Replaces target with a copy of the program's empty template. The file in use is never
// a target: replacing it would pull the data from under the open windows.
Status createFromTemplate(const QString &target, const QString &currentFile);

// Writes a consistent copy of the open data file to target, read through the open connection,
// so changes other programs have not committed yet never end up half in the copy. The copy
// replaces target only once SQLite's full integrity check has passed it.
Status backUp(Database &current, const QString &target);

// Makes path the data file the next login opens.
void choose(const QString &path);

// True when both names lead to one file (also through links and "..").
bool isSameFile(const QString &a, const QString &b);

} // namespace DataFileCommands
