#include "FileUtil.h"

#include <QFileInfo>

namespace FileUtil {

bool fileExists(const QString &path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.exists() && info.isFile();
}

} // namespace FileUtil
