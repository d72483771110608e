#pragma once

// The doubles a window test needs, installed and removed in the right order whatever failed.
//
//     std::optional<GuiFixture> fx;
//     void init() { fx.emplace(); }        // or fx.emplace(QDateTime(...)) for a fixed clock
//     void cleanup() { fx.reset(); }
//
// Then fx->app.logIn(), fx->prompts.answer(...), fx->desktop.opened, fx->file (the default data
// file, already written), fx->database() (a connection of the test's own, opened on first use).
// Ending the fixture deletes every top-level window first (their closing boxes still reach the
// scripted prompts; a window the test owns in a unique_ptr must go before), fails the test if a
// scripted answer was left unused, then drops the connection and removes the doubles, so a failed
// test never leaves a window, a double or a file for the next one.

#include "AppDriver.h"
#include "FixedClock.h"
#include "RecordingDesktop.h"
#include "ScriptedPrompts.h"
#include "TestSandbox.h"
#include "data/Database.h"

#include <memory>
#include <optional>

class GuiFixture
{
public:
    explicit GuiFixture(const std::optional<QDateTime> &now = std::nullopt);
    ~GuiFixture();
    GuiFixture(const GuiFixture &) = delete;
    GuiFixture &operator=(const GuiFixture &) = delete;

    // A connection of the test's own, opened on first use; null (and the test failed) when the
    // file does not open.
    Database *database();
    // The next database() opens the file afresh, as a program started again would.
    void closeDatabase() { m_database.reset(); }

    TestSandbox sandbox;
    ScriptedPrompts prompts;
    RecordingDesktop desktop;
    std::optional<FixedClock> clock;
    AppDriver app;
    const QString file;

private:
    std::unique_ptr<Database> m_database;
};
