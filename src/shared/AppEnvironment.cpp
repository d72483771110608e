#include "AppEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const AppEnvironment *installedEnvironment = nullptr;
}

QString AppEnvironment::programFolder() const
{
    return QCoreApplication::applicationDirPath();
}

QString AppEnvironment::dataFolder() const
{
    const QString folder = programFolder();
    if (QFileInfo(folder).isWritable())
        return folder;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

std::unique_ptr<QSettings> AppEnvironment::openSettings() const
{
    return std::make_unique<QSettings>(QStringLiteral("Zorvane"), QStringLiteral("Zorvane"));
}

QString AppEnvironment::programFile(const QString &fileName) const
{
    return QDir(programFolder()).filePath(fileName);
}

QString AppEnvironment::dataFile(const QString &fileName) const
{
    return QDir(dataFolder()).filePath(fileName);
}

QString AppEnvironment::shippedFile(const QString &fileName) const
{
    const QString beside = programFile(fileName);
    if (QFileInfo::exists(beside))
        return beside;
    const QString installed = QDir::cleanPath(
        programFolder() + QStringLiteral("/" ZORVANE_SHIPPED_FILES_FROM_PROGRAM "/") + fileName);
    return QFileInfo::exists(installed) ? installed : beside;
}

const AppEnvironment &AppEnvironment::current()
{
    static const AppEnvironment realEnvironment;
    return installedEnvironment ? *installedEnvironment : realEnvironment;
}

void AppEnvironment::install(const AppEnvironment *environment)
{
    installedEnvironment = environment;
}
