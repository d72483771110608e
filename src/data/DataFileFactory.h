#pragma once

#include "shared/Status.h"

#include <QString>

// Writes brand-new data files from the schema. The file is built under a temporary name and
// copied into place in one step only when complete, so a failure never leaves half a file behind.
namespace DataFileFactory {

enum class Contents { Empty, StartingData };

Status createDataFile(const QString &path, Contents contents = Contents::StartingData);

// The default data file and the empty template, as the program folder carries them.
QString defaultDataFileName();
QString templateFileName();

} // namespace DataFileFactory
