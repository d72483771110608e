#pragma once

#include "reminders/ReminderStore.h"

#include <QWidget>

class Database;
class QListWidget;
class QListWidgetItem;
class QStatusBar;
class frmAgent;

// The to-do list: one line with a check box per item, ticks stored at once, and a toolbar to add,
// edit and delete items. Every line carries the ID of its row, so lines with the same text stay
// apart.
class frmReminders : public QWidget
{
    Q_OBJECT

public:
    // The data file connection must outlive the window.
    explicit frmReminders(Database &database, QWidget *parent = nullptr);

    void AddReminder();
    // Store the tick (or its removal) of the line with the given index.
    void CheckItem(int item);
    void UnCheckItem(int item);
    // The text the item dialog last returned; empty when it was cancelled.
    const QString &NowStr() const { return m_nowStr; }

protected:
    // Shows the item dialog modally; tests replace it to work the dialog without a nested loop.
    virtual void runAgent(frmAgent &agent);

private:
    void buildControls();
    void LoadReminders();
    void reloadKeepingLine();
    void askForText(const QString &preset);
    void lineChanged(QListWidgetItem *line);
    void storeDone(int line, bool done);
    void editReminder();
    void editCurrentLine();
    void deleteReminder();
    void showCount();
    // Commands that write ask first, so a read-only file refuses them before they start.
    bool refusedAsReadOnly();
    void showError(const Status &failure);
    // Shows the failure, then what is really stored.
    void reportFailure(const Status &failure);
    QListWidgetItem *lineWithId(qint64 id) const;
    static qint64 idOf(const QListWidgetItem *line);

    Database &m_database;
    ReminderStore m_store;
    QListWidget *m_list = nullptr;
    QStatusBar *m_status = nullptr;
    QString m_nowStr;
    // Ticks are stored only once the list is filled.
    bool m_listReady = false;
    // Set while an edit rewrites a line, whose change signal is not a tick by the user.
    bool m_ignoreNextTick = false;
};
