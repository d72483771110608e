#include "FileUtil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString cannot(const char *what, const QString &path, const QString &reason)
{
    return QString::fromUtf8(what).arg(QDir::toNativeSeparators(path), reason);
}

} // namespace

namespace FileUtil {

bool fileExists(const QString &path)
{
    const QFileInfo info(path);
    return !path.isEmpty() && info.exists() && info.isFile();
}

Status copyOver(const QString &from, const QString &to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return Status::failure(cannot("无法读取“%1”：%2", from, source.errorString()));
    QSaveFile target(to);
    if (!target.open(QIODevice::WriteOnly))
        return Status::failure(cannot("无法写入“%1”：%2", to, target.errorString()));
    constexpr qint64 chunkSize = 256 * 1024;
    while (!source.atEnd()) {
        const QByteArray chunk = source.read(chunkSize);
        if (chunk.isEmpty() && source.error() != QFileDevice::NoError)
            return Status::failure(cannot("无法读取“%1”：%2", from, source.errorString()));
        if (target.write(chunk) != chunk.size())
            return Status::failure(cannot("无法写入“%1”：%2", to, target.errorString()));
    }
    if (!target.commit())
        return Status::failure(cannot("无法写入“%1”：%2", to, target.errorString()));
    return Status::success();
}

} // namespace FileUtil
