#pragma once

#include "data/Database.h"
#include "shared/widgets/ChildWindowHost.h"

#include <QMainWindow>
#include <memory>

class ContactSearchIndex;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QTimer;
class frmContacts;
class frmReminders;

// The multiple-document frame. It owns the shared connection to the current data file that
// every child window works on.
class frmMain : public QMainWindow, public ChildWindowHost
{
    Q_OBJECT

public:
    explicit frmMain(std::unique_ptr<Database> database, QWidget *parent = nullptr);
    ~frmMain() override;

    Database &DB() override { return *m_database; }
    QWidget *hostWidget() override { return this; }
    QMdiArea *mdiArea() const { return m_mdi; }
    QMdiSubWindow *showChild(QWidget *child) override;
    void activateChild(QMdiSubWindow *window) override;
    QList<QMdiSubWindow *> openChildren() const override;
    QMdiSubWindow *childWindow(const QString &objectName) const override;
    frmContacts *contactList() const;
    frmReminders *reminderList() const;

    void showGreeting();
    void CloseAll_Click();
    // Ends the program at once, after every open editor has stored what the user typed.
    void mnuExit_Click();
    void mnuShowContactList_Click();
    void mnuToDo_Click();
    void Login_Click();
    // Closes the frame with its windows and runs the login again, on dataFile when one is given.
    // The setting names dataFile only once the frame has closed. Nothing happens while an import
    // runs or when a window refuses to close; the user is told why.
    void relogin(const QString &dataFile = QString());
    void UpdatePwd_Click();
    void Update_Click();
    // Searches the contacts and shows the result window (made once, refilled afterwards).
    void OpenSearch(const QString &keywords);
    // Opens a contact's editor, or brings it forward.
    void OpenDetails(const QString &displayName, const QString &key);
    void RefreshContacts() override;
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
    // Opens the duplicate finder (once) and lists the sets afresh.
    void FindDuplicates_Click();
    void help_Click();
    // Shows the category manager of one kind modally over opener.
    void openCategoryManager(int kind, QWidget *opener);

protected:
    void showEvent(QShowEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    // Gives Ctrl+X to the text box that has the focus, before the menu's shortcut sees it.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildMenus();
    QMenu *addMenu(const QString &name, const QString &caption);
    QAction *addItem(QMenu *menu, const QString &name, const QString &caption,
                     const QKeySequence &shortcut = {});
    void addSeparator(QMenu *menu, const QString &name);
    void layoutChildren();
    QMdiSubWindow *openContactList();
    QMdiSubWindow *openReminderList();
    // After a merge or its undo: the contact list and an open search list show the file anew.
    void showMergedContacts();

    std::unique_ptr<Database> m_database;
    // Made with the connection and read when first searched; kept for as long as the frame.
    std::unique_ptr<ContactSearchIndex> m_searchIndex;
    QMdiArea *m_mdi;
    QLabel *m_greeting;
    QTimer *m_timer;
    bool m_reloginRequested = false;
    // While an import writes through the shared connection the frame must stay.
    bool m_importing = false;
};
