#pragma once

#include <QWidget>

class Database;
class QLabel;
class QLineEdit;
class QStatusBar;
class QToolBar;
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
    QString statusText() const;
    QTreeWidget *tree() const { return m_tree; }
    QToolBar *toolBar() const { return m_toolBar; }

    // True from loading until unloading; the main window docks the list only while it is set.
    bool HasSHowMe = false;

signals:
    // The quick-search box's text, unchanged, for the search window.
    void searchRequested(const QString &keywords);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    QTreeWidgetItem *addGroupNode(const QString &name);
    QTreeWidgetItem *addContactNode(QTreeWidgetItem *group, const QString &key,
                                    const QString &name);
    QTreeWidgetItem *FindGroupNode(const QString &name) const;
    void SetNowExpland(const QString &name);
    void selectNode(QTreeWidgetItem *node);
    void showCounts();
    void showNodeToolTip(const QPoint &position);
    bool handleSearchBoxEvent(QEvent *event);
    bool handleTreeEvent(QEvent *event);
    QSize outerSize() const;

    Database &m_database;
    QToolBar *m_toolBar;
    QLineEdit *m_search;
    QLabel *m_searchIcon;
    QTreeWidget *m_tree;
    QStatusBar *m_statusBar;
    QLabel *m_status;
    qint64 GroupNum = 0;
    int GroupCount = 0;
    int ContactCount = 0;
    QTreeWidgetItem *DragNode = nullptr;
};
