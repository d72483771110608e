#pragma once

#include <QString>

class Database;

// Keyword search, list-all in the filled result window and export of every listed contact.
namespace SearchBench {

// readAllMs: the time reading every contact row once took in this run, the yardstick of the
// targets. Writes Mylist.txt into folder. False when a step failed.
bool run(Database &database, double readAllMs, const QString &folder);

} // namespace SearchBench
