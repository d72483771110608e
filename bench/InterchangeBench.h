#pragma once

#include <QString>

// vCard import and export on the large data file, every contact with a kept phone card: all of
// its contacts exported as vCard 3.0, 10,000 cards imported into it, and a file of about 100 MB
// imported into a copy, each with its own peak memory.
namespace InterchangeBench {

// Works on a copy of dataFile in folder. False when a step failed.
bool run(const QString &dataFile, const QString &folder);

} // namespace InterchangeBench
