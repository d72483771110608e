#pragma once

#include "data/Database.h"

#include <QMainWindow>
#include <memory>

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class frmContacts;
class frmReminders;

// The multiple-document frame. It owns the shared connection to the current data file that
// every child window works on.
class frmMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit frmMain(std::unique_ptr<Database> database, QWidget *parent = nullptr);
    ~frmMain() override;

    Database &DB() { return *m_database; }
    QMdiArea *mdiArea() const { return m_mdi; }
    // Puts a window into the frame (once) and shows it; the frame deletes it when it closes.
    QMdiSubWindow *showChild(QWidget *child);
    QMdiSubWindow *childWindow(const QString &objectName) const;
    frmContacts *contactList() const;
    frmReminders *reminderList() const;

    void showGreeting();
    void CloseAll_Click();
    void mnuShowContactList_Click();
    void mnuToDo_Click();
    void Login_Click();
    void UpdatePwd_Click();
    void Update_Click();
    // Searches the contacts and shows the result window (made once, refilled afterwards).
    void OpenSearch(const QString &keywords);
    // Opens a contact's editor, or brings it forward.
    void OpenDetails(const QString &displayName, const QString &key);
    // Closes every child window and loads the contact list afresh, so renamed groups show.
    void RefreshContacts();
    // Closes the contact list and loads it afresh at its usual place.
    void ReloadContactList();
    void Create_New_Click();
    void SaveMydata_Click();
    void OpenMydata_Click();
    void Default_Data_Click();
    void ImportOther_Click();
    // Imports a vCard or CSV file; the frame stays while it writes.
    void ImportCards_Click();
    void aboutme_Click();
    void help_Click();
    // Shows the category manager of one kind modally over opener.
    void openCategoryManager(int kind, QWidget *opener);
    // Child windows that are open (a closed one may linger until it is deleted).
    QList<QMdiSubWindow *> openChildren() const;

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildMenus();
    QMenu *addMenu(const QString &name, const QString &caption);
    QAction *addItem(QMenu *menu, const QString &name, const QString &caption,
                     const QKeySequence &shortcut = {});
    void addSeparator(QMenu *menu, const QString &name);
    void layoutChildren();
    QMdiSubWindow *openContactList();
    QMdiSubWindow *openReminderList();

    std::unique_ptr<Database> m_database;
    QMdiArea *m_mdi;
    QLabel *m_greeting;
    QTimer *m_timer;
    bool m_reloginRequested = false;
    // While an import writes through the shared connection the frame must stay.
    bool m_importing = false;
};
