#pragma once

#include "shared/Status.h"

#include <QString>

// Writes a data file of realistic contacts for benchmarks and tests; the same seed always gives
// the same file.
namespace SampleData {

struct Options
{
    int contacts = 1000;
    int groups = 30;
    quint32 seed = 1;
};

Status write(const QString &path, const Options &options);
// The relationship group names such a file uses, in category order.
QStringList groupNames(int groups);

} // namespace SampleData
