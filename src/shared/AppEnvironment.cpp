#include "AppEnvironment.h"

#include <QCoreApplication>
#include <QDir>

namespace {
const AppEnvironment *installedEnvironment = nullptr;
}

QString AppEnvironment::programFolder() const
{
    return QCoreApplication::applicationDirPath();
}

std::unique_ptr<QSettings> AppEnvironment::openSettings() const
{
    return std::make_unique<QSettings>(QStringLiteral("Zorvane"), QStringLiteral("Zorvane"));
}

QString AppEnvironment::programFile(const QString &fileName) const
{
    return QDir(programFolder()).filePath(fileName);
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
