#pragma once

#include "Status.h"

#include <QString>

namespace FileUtil {

// True when the file system can tell the file's length, as the import's pre-check expects.
bool fileExists(const QString &path);

// Moves the finished file from onto to in one step, replacing what is there, so readers of to
// see either the old file or the whole new one.
Status replaceFile(const QString &from, const QString &to);

} // namespace FileUtil
