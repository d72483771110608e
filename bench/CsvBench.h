#pragma once

#include <QString>

// Reading a generated 100 MB Outlook CSV file and planning its import into the large data file.
namespace CsvBench {

// Writes the CSV file into folder; false when a step failed.
bool run(const QString &dataFile, const QString &folder);

} // namespace CsvBench
