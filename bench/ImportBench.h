#pragma once

#include <QString>

// Importing a file of 10,000 new contacts into the large data file, no question asked.
namespace ImportBench {

// Works on a copy of dataFile in folder, so the other figures keep their file. False when a step
// failed or a duplicate question came up.
bool run(const QString &dataFile, const QString &folder);

} // namespace ImportBench
