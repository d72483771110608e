#pragma once

#include <functional>

class Database;
class QWidget;

// What the sync commands need of the main window.
struct SyncContext
{
    Database &database;
    QWidget *window = nullptr;
    // Refreshes the windows after contacts changed.
    std::function<void()> afterSync;
};

// "同步设置(CardDAV)..." and "立即同步".
namespace SyncCommands {

void openSettings(QWidget *window);
// Syncs the data file with the chosen address book, with a progress bar that can cancel; the
// outcome is shown in a box.
void syncNow(const SyncContext &context);

} // namespace SyncCommands
