#pragma once

#include "shared/Status.h"

#include <QList>
#include <QString>

// Crafted data files: a valid one, a few that keep the tables but hold odd values, and many that
// the program must refuse. They seed the data-file fuzzer and the hostile-file test; being built
// from the schema code, they follow it when it changes.
namespace HostileDataFiles {

struct Sample
{
    QString fileName;
    // True for files the program accepts; everything else must be refused.
    bool opens = false;
};

Result<QList<Sample>> write(const QString &folder);

} // namespace HostileDataFiles
