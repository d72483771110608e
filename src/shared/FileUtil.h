#pragma once

#include "Status.h"

#include <QString>

namespace FileUtil {

// True when the file system can tell the file's length, as the import's pre-check expects.
bool fileExists(const QString &path);

// Writes a copy of from onto to in one step, so to is either the old file or the whole copy.
// The copy keeps the mode of the file it replaces; a new file gets the mode the user's umask
// gives every new file, not the owner-only mode of a temporary file.
Status copyOver(const QString &from, const QString &to);

} // namespace FileUtil
