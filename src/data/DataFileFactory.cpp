#include "DataFileFactory.h"

#include "Database.h"
#include "Schema.h"
#include "shared/FileUtil.h"

#include <QFileInfo>
#include <QTemporaryFile>

namespace {

Status fillNewFile(const QString &path, DataFileFactory::Contents contents)
{
    auto opened = Database::openForCreation(path);
    if (!opened)
        return opened.status();
    Database &database = *opened.value();
    Status status = Schema::create(database);
    if (status && contents == DataFileFactory::Contents::StartingData)
        status = Schema::seedStartingData(database);
    return status;
}

} // namespace

namespace DataFileFactory {

Status createDataFile(const QString &path, Contents contents)
{
    const QFileInfo target(path);
    QTemporaryFile scratch(target.absolutePath() + QStringLiteral("/.zorvane-new"));
    if (!scratch.open())
        return Status::failure(QStringLiteral("无法在“%1”中创建文件：%2")
                                   .arg(target.absolutePath(), scratch.errorString()));
    scratch.close();
    Status status = fillNewFile(scratch.fileName(), contents);
    if (status)
        status = FileUtil::copyOver(scratch.fileName(), target.absoluteFilePath());
    return status;
}

QString defaultDataFileName()
{
    return QStringLiteral("MyData.cot");
}

QString templateFileName()
{
    return QStringLiteral("Maindat.dat");
}

} // namespace DataFileFactory
