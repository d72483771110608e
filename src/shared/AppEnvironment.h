#pragma once

#include <QSettings>
#include <QString>
#include <memory>

// The program folder and the settings store; tests point both into a temporary folder.
class AppEnvironment
{
public:
    virtual ~AppEnvironment() = default;
    virtual QString programFolder() const;
    virtual std::unique_ptr<QSettings> openSettings() const;

    QString programFile(const QString &fileName) const;

    static const AppEnvironment &current();
    // Installs a replacement (not owned); nullptr restores the real environment.
    static void install(const AppEnvironment *environment);
};
