#pragma once

#include <QWidget>

class ContactSearchIndex;
class QModelIndex;
class QToolBar;
class SearchResultList;
class SearchResultModel;

// The search result list, a child window of the main frame: lists the contacts found by the
// contact list's search box (or all contacts), opens them, sorts them and exports them as text.
class FrmSearch : public QWidget
{
    Q_OBJECT

public:
    explicit FrmSearch(ContactSearchIndex &index, QWidget *parent = nullptr);

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
    void openRow(const QModelIndex &row);
    void exportList();
    QWidget *outerWindow();
    void applyResizeRule();

    ContactSearchIndex &m_index;
    QString m_lastKeyText;
    SearchResultModel *m_model = nullptr;
    bool m_widthSet = false;
    QToolBar *m_toolbar = nullptr;
    SearchResultList *m_list = nullptr;
};
