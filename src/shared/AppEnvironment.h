#pragma once

#include <QSettings>
#include <QString>
#include <memory>

// The program folder, the data folder and the settings store; tests point them into a
// temporary folder.
class AppEnvironment
{
public:
    virtual ~AppEnvironment() = default;
    virtual QString programFolder() const;
    // Where the default data file and the export go: the program folder when it can be written
    // (a build run from its own folder), else the user's data folder (an installed program).
    virtual QString dataFolder() const;
    virtual std::unique_ptr<QSettings> openSettings() const;

    QString programFile(const QString &fileName) const;
    QString dataFile(const QString &fileName) const;
    // A file the program comes with (the template, the read-me): beside the program, or in the
    // shared data folder it was installed into.
    QString shippedFile(const QString &fileName) const;

    static const AppEnvironment &current();
    // Installs a replacement (not owned); nullptr restores the real environment.
    static void install(const AppEnvironment *environment);
};
