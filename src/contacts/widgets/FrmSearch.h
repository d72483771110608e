#pragma once

#include "contacts/SearchResult.h"

#include <QWidget>

class Database;
class QAction;
class QToolBar;
class QTreeWidgetItem;
class SearchResultList;

// The search result list, a child window of the main frame: lists the contacts found by the
// contact list's search box (or all contacts), opens them, sorts them and exports them as text.
class FrmSearch : public QWidget
{
    Q_OBJECT

public:
    explicit FrmSearch(Database &database, QWidget *parent = nullptr);

    // Searches (or lists every contact) and brings the window to the front.
    void OpenSearch(const QString &strKey);
    // Shows every contact of the last listing but the template and the placeholder.
    void Open_SearList();
    // Runs the last search again in place, after contacts changed elsewhere; on a failure the
    // list keeps what it showed.
    void refreshRows();
    // The designed client area, which the main frame's child window starts with.
    QSize sizeHint() const override;

signals:
    // The user asked to open a contact; the main window opens its detail editor.
    void openDetailsRequested(const QString &displayName, const QString &idText);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void buildToolbar();
    void buildList();
    void showRows();
    void bringToFront();
    void closeWindow();
    void openSelected();
    void openItem(QTreeWidgetItem *item);
    void exportList();
    QList<const ContactRow *> rowsAsShown() const;
    QWidget *outerWindow();
    void applyResizeRule();

    Database &m_database;
    QString m_lastKeyText;
    SearchResult m_result;
    bool m_widthSet = false;
    QToolBar *m_toolbar = nullptr;
    SearchResultList *m_list = nullptr;
};
