#pragma once

#include "contacts/ContactGrouping.h"
#include "shared/widgets/Prompts.h"

#include <QHash>
#include <QIcon>
#include <QWidget>

class ClickableLabel;
class Database;
class QLabel;
class QLineEdit;
class QStatusBar;
class QToolBar;
class ContactTreeWidget;
class QTreeWidget;
class QTreeWidgetItem;

// The contact list: every contact of the data file in a tree grouped by relationship group,
// with a quick-search box above it and a status line below.
class frmContacts : public QWidget
{
    Q_OBJECT

public:
    explicit frmContacts(Database &database, QWidget *parent = nullptr);

    void LoadContacts();
    // Shows a contact after its editor closed: renamed in place, moved to its (possibly new) group.
    void Update_Main_List(const QString &IDStr, const QString &GroupStr, const QString &Mystr);
    void TreeView1_NodeClick(QTreeWidgetItem *node);
    QString GetNowExplandStr() const;
    // Deletes the selected contact after the right check and the user's confirmation.
    void deleteSelected();
    // Opens the selected contact (the edit button and a double-click on a contact).
    void editSelected();
    // Regroups a dragged contact onto a group node or onto a contact of another group.
    void MoveContactNode(const QString &contactKey, QTreeWidgetItem *target);
    QString statusText() const;
    QTreeWidget *tree() const;
    QToolBar *toolBar() const { return m_toolBar; }

    // True from loading until unloading; the main window docks the list only while it is set.
    bool HasSHowMe = false;

signals:
    // The quick-search box's text, unchanged, for the search window.
    void searchRequested(const QString &keywords);
    // A contact to open in the editor: its display name and list key (empty for the placeholder
    // and the template).
    void openDetailsRequested(const QString &displayName, const QString &key);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Commands that write ask first, so a read-only file refuses them before they start.
    bool refusedAsReadOnly();
    void buildControls();
    QTreeWidgetItem *addGroupNode(const QString &name);
    QTreeWidgetItem *newContactNode(const QString &key, const QString &name) const;
    QTreeWidgetItem *addContactNode(QTreeWidgetItem *group, const QString &key,
                                    const QString &name);
    // Reads a group's contacts the first time it is opened or touched.
    void fillGroup(QTreeWidgetItem *group);
    // Shows a contact, whose row is already written, in a group and selects it.
    void showContactIn(QTreeWidgetItem *group, const QString &key, const QString &name);
    void refreshUnreadCounts();
    QTreeWidgetItem *FindGroupNode(const QString &name) const;
    void SetNowExpland(const QString &name);
    void selectNode(QTreeWidgetItem *node);
    void showCounts();
    QTreeWidgetItem *contactNode(const QString &key) const;
    void reportError(MessageIcon icon, const QString &text);
    void showNodeToolTip(const QPoint &position);
    bool handleSearchBoxEvent(QEvent *event);
    bool handleTreeEvent(QEvent *event);
    QSize outerSize() const;

    Database &m_database;
    QToolBar *m_toolBar;
    QLineEdit *m_search;
    ClickableLabel *m_searchIcon;
    ContactTreeWidget *m_tree;
    QStatusBar *m_statusBar;
    QLabel *m_status;
    QIcon m_contactIcon;
    qint64 GroupNum = 0;
    int GroupCount = 0;
    int ContactCount = 0;
    QTreeWidgetItem *DragNode = nullptr;
    // Groups whose contacts are not read yet, with what is needed to read and count them.
    QHash<QTreeWidgetItem *, ContactGrouping::Group> m_unread;
};
