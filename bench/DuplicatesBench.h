#pragma once

#include <QString>

// Finding duplicate contacts in a copy of the data file with 1 % planted duplicates.
namespace DuplicatesBench {

// False when a step failed or a planted duplicate was missed.
bool run(const QString &dataFile, const QString &folder);

} // namespace DuplicatesBench
