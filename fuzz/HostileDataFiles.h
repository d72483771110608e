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
    // A refused file whose tables are intact but whose pages SQLite's own check finds damaged:
    // the login opens it read-only.
    bool damagedPages = false;
};

Result<QList<Sample>> write(const QString &folder);

// Points the first entry of the file's free list at the first page of Contacts, which is in
// use: the next page SQLite hands out for a write would overwrite contacts. The file must have
// free pages (rows were deleted).
Status pointFreeListAtContacts(const QString &path);

} // namespace HostileDataFiles
