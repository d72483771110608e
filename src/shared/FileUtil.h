#pragma once

#include <QString>

namespace FileUtil {

// True when the file system can tell the file's length, as the import's pre-check expects.
bool fileExists(const QString &path);

} // namespace FileUtil
