#include "GuiFixture.h"

#include "SqlWarnings.h"

#include <QtTest>

GuiFixture::GuiFixture(const std::optional<QDateTime> &now)
    : file(sandbox.writeDefaultDataFile())
{
    failOnSqlWarnings();
    if (now)
        clock.emplace(*now);
}

GuiFixture::~GuiFixture()
{
    AppDriver::closeAll();
    if (prompts.pending() && QTest::currentTestFunction())
        QTest::qFail("a scripted answer was left unused", __FILE__, __LINE__);
    m_database.reset();
}

Database *GuiFixture::database()
{
    if (m_database)
        return m_database.get();
    auto opened = Database::open(file);
    if (!opened) {
        QTest::qFail(qPrintable(opened.message()), __FILE__, __LINE__);
        return nullptr;
    }
    m_database = opened.takeValue();
    return m_database.get();
}
