#pragma once

#include <QDate>
#include <QString>
#include <QVariant>

// The keys the program keeps in section "Settings" of its settings store.
namespace AppSettings {

QString databasePath();
void setDatabasePath(const QString &path);
QString lastExpland();
void setLastExpland(const QString &group);
// The notice window's remembered position in twips; invalid when never stored.
QVariant formSplashLeft();
QVariant formSplashTop();
void setFormSplashPosition(int left, int top);
// The main window's size, place and maximized state as it last closed; empty before the first.
QByteArray mainWindowGeometry();
void setMainWindowGeometry(const QByteArray &geometry);
// The day a data file last passed the full integrity check; invalid when never.
QDate lastFullCheck(const QString &dataFile);
void setLastFullCheck(const QString &dataFile, const QDate &day);

} // namespace AppSettings
