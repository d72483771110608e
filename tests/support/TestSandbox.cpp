#include "TestSandbox.h"

#include "data/DataFileFactory.h"
#include "shared/AppState.h"

#include <QtTest>

TestSandbox::TestSandbox()
{
    if (!m_folder.isValid())
        QTest::qFail("cannot create a temporary folder", __FILE__, __LINE__);
    AppEnvironment::install(this);
    AppState::instance().reset();
}

// A sandbox that outlives its test must not remove, or reset the state of, the next test's one.
TestSandbox::~TestSandbox()
{
    if (&AppEnvironment::current() != this)
        return;
    AppEnvironment::install(nullptr);
    AppState::instance().reset();
}

QString TestSandbox::programFolder() const
{
    return m_folder.path();
}

std::unique_ptr<QSettings> TestSandbox::openSettings() const
{
    return std::make_unique<QSettings>(path(QStringLiteral("settings.ini")), QSettings::IniFormat);
}

QString TestSandbox::path(const QString &fileName) const
{
    return m_folder.filePath(fileName);
}

QString TestSandbox::writeDefaultDataFile() const
{
    const QString file = path(DataFileFactory::defaultDataFileName());
    const Status written = DataFileFactory::createDataFile(file);
    if (!written)
        QTest::qFail(qPrintable(written.message()), __FILE__, __LINE__);
    return file;
}
