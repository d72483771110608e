#include "SandboxedDataFile.h"

#include "SqlWarnings.h"

bool SandboxedDataFile::openDataFile()
{
    failOnSqlWarnings();
    sandbox = std::make_unique<TestSandbox>();
    file = sandbox->writeDefaultDataFile();
    auto opened = Database::open(file);
    if (!opened) {
        QTest::qFail(qPrintable(opened.message()), __FILE__, __LINE__);
        return false;
    }
    database = opened.takeValue();
    return true;
}

void SandboxedDataFile::closeDataFile()
{
    database.reset();
    sandbox.reset();
}
