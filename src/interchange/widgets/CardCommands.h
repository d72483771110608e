#pragma once

#include <QList>
#include <QString>
#include <functional>

class Database;
class QWidget;

// What the card commands need of the main window, without knowing it.
struct CardCommandContext
{
    Database &database;
    QWidget *window = nullptr;
    // The relationship group selected in the contact list; empty when there is none.
    QString selectedGroup;
    // The contacts the search window shows, in its order; empty when it is not open.
    QList<qint64> shownRows;
    // Refreshes the windows after contacts were added.
    std::function<void()> afterImport;
};

// "导入名片文件(vCard/CSV)..." and "导出名片文件(vCard/CSV)...".
namespace CardCommands {

// Reads the chosen file, shows what it holds, and writes the chosen contacts in one go.
void importCards(const CardCommandContext &context);
// Asks for scope and format, then writes the file whole or not at all.
void exportCards(const CardCommandContext &context);

} // namespace CardCommands
