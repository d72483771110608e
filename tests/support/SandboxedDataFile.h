#pragma once

#include "TestSandbox.h"
#include "data/Database.h"

#include <memory>

// A test's own program folder with the default data file, open on one connection. Test classes
// inherit it, call openDataFile() from init() and closeDataFile() from cleanup().
class SandboxedDataFile
{
protected:
    // Also makes a connection left in use or opened twice fail the test.
    bool openDataFile();
    // The connection goes before the folder that holds its file.
    void closeDataFile();

    std::unique_ptr<TestSandbox> sandbox;
    QString file;
    std::unique_ptr<Database> database;
};
