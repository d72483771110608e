#pragma once

#include "Database.h"

#include <memory>

// The data file the program works on, opened as the login expects it.
struct OpenedDataFile
{
    std::unique_ptr<Database> database;
    QString path;
    // True when the chosen file could not be opened and the default file was used instead.
    bool fellBack = false;
    QString fallbackReason;
};

// Reads "DatabasePath", opens that file, and falls back to the data folder's default file
// (recording the fallback in the settings) when it cannot be opened. A missing default file is
// created from the template; a damaged one is never overwritten.
namespace DataFileChooser {

QString defaultPath();
Result<OpenedDataFile> chooseAndOpen();
// Opens path, a damaged file read-only; the default file is created first when it is the one
// missing.
Result<std::unique_ptr<Database>> openOrCreateDefault(const QString &path);

} // namespace DataFileChooser
