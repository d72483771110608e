#pragma once

#include "shared/AppEnvironment.h"

#include <QTemporaryDir>

// A private program folder and settings file for one test; installed while it lives.
class TestSandbox : public AppEnvironment
{
public:
    TestSandbox();
    ~TestSandbox() override;

    QString programFolder() const override;
    std::unique_ptr<QSettings> openSettings() const override;

    QString path(const QString &fileName) const;
    // The default data file, written with the starting data.
    QString writeDefaultDataFile() const;

private:
    QTemporaryDir m_folder;
};
