#pragma once

#include "shared/AppEnvironment.h"

#include <QTemporaryDir>

// A throw-away program folder and settings file, so a benchmark never touches the user's own.
class BenchEnvironment : public AppEnvironment
{
public:
    BenchEnvironment() { AppEnvironment::install(this); }
    ~BenchEnvironment() override { AppEnvironment::install(nullptr); }

    QString programFolder() const override { return m_folder.path(); }
    std::unique_ptr<QSettings> openSettings() const override
    {
        return std::make_unique<QSettings>(m_folder.filePath(QStringLiteral("settings.ini")),
                                           QSettings::IniFormat);
    }
    QString path(const QString &name) const { return m_folder.filePath(name); }

private:
    QTemporaryDir m_folder;
};
