#include "FileUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <system_error>

namespace FileUtil {

bool fileExists(const QString &path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.exists() && info.isFile();
}

Status replaceFile(const QString &from, const QString &to)
{
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(from).toStdString(),
                            QFile::encodeName(to).toStdString(), error);
    if (error)
        return Status::failure(
            QStringLiteral("无法写入“%1”：%2")
                .arg(QDir::toNativeSeparators(to), QString::fromStdString(error.message())));
    return Status::success();
}

} // namespace FileUtil
