#include "AppSettings.h"

#include "AppEnvironment.h"

#include <QCryptographicHash>
#include <QFileInfo>

namespace {

QVariant readSetting(const QString &key, const QVariant &fallback = {})
{
    auto settings = AppEnvironment::current().openSettings();
    settings->beginGroup(QStringLiteral("Settings"));
    return settings->value(key, fallback);
}

void writeSetting(const QString &key, const QVariant &value)
{
    auto settings = AppEnvironment::current().openSettings();
    settings->beginGroup(QStringLiteral("Settings"));
    settings->setValue(key, value);
    settings->endGroup();
    settings->sync();
}

// One key per data file, named by a digest of its full path: a path holds characters a key may
// not.
QString fullCheckKey(const QString &dataFile)
{
    const QByteArray digest = QCryptographicHash::hash(
        QFileInfo(dataFile).absoluteFilePath().toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("FullCheck_") + QString::fromLatin1(digest.toHex());
}

} // namespace

namespace AppSettings {

QString databasePath()
{
    return readSetting(QStringLiteral("DatabasePath"), QString()).toString();
}

void setDatabasePath(const QString &path)
{
    writeSetting(QStringLiteral("DatabasePath"), path);
}

QString lastExpland()
{
    return readSetting(QStringLiteral("LastExpland"), QString()).toString();
}

void setLastExpland(const QString &group)
{
    writeSetting(QStringLiteral("LastExpland"), group);
}

QVariant formSplashLeft()
{
    return readSetting(QStringLiteral("FormSplashLeft"));
}

QVariant formSplashTop()
{
    return readSetting(QStringLiteral("FormSplashTop"));
}

void setFormSplashPosition(int left, int top)
{
    writeSetting(QStringLiteral("FormSplashLeft"), QString::number(left));
    writeSetting(QStringLiteral("FormSplashTop"), QString::number(top));
}

QByteArray mainWindowGeometry()
{
    return QByteArray::fromBase64(
        readSetting(QStringLiteral("MainWindowGeometry"), QString()).toString().toLatin1());
}

void setMainWindowGeometry(const QByteArray &geometry)
{
    // Kept as text, as every other key of the section.
    writeSetting(QStringLiteral("MainWindowGeometry"), QString::fromLatin1(geometry.toBase64()));
}

QDate lastFullCheck(const QString &dataFile)
{
    return QDate::fromString(readSetting(fullCheckKey(dataFile)).toString(), Qt::ISODate);
}

void setLastFullCheck(const QString &dataFile, const QDate &day)
{
    writeSetting(fullCheckKey(dataFile), day.toString(Qt::ISODate));
}

} // namespace AppSettings
