#pragma once

#include "contacts/ContactRecord.h"
#include "duplicates/DuplicateSet.h"
#include "shared/Status.h"

#include <QWidget>

class Database;
class QLabel;
class QPushButton;
class QTableWidget;
class QTreeWidget;
class QTreeWidgetItem;

// "查找重复联系人": lists the sets of contacts that are probably one person, strongest first,
// shows the contacts of the chosen set side by side, merges them after the right check and
// takes the last merge back. It changes the file only when the user merges or undoes.
class FrmDuplicates : public QWidget
{
    Q_OBJECT

public:
    explicit FrmDuplicates(Database &database, QWidget *parent = nullptr);

    // Reads every contact and lists the sets; a progress window with a cancel button appears
    // when this takes longer than half a second.
    void findDuplicates();
    // Merges the ticked contacts of the chosen set through the merge view.
    void mergeSelected();
    void undoLastMerge();

signals:
    // Contacts were merged or a merge was undone; keptId is the contact that stays.
    void contactsChanged(qint64 keptId);

private:
    void buildControls();
    void showSets();
    void showSet(QTreeWidgetItem *item);
    const DuplicateSet *currentSet() const;
    QList<qint64> tickedContacts() const;
    Result<QList<ContactRecord>> readContacts(const QList<qint64> &ids);
    bool storeOpenEditors(const QList<qint64> &ids);
    void applyMerge(const QList<ContactRecord> &contacts, const QList<int> &choices);
    void updateUndoButton();
    void report(const QString &text);

    Database &m_database;
    QList<DuplicateSet> m_sets;
    QLabel *m_summary;
    QTreeWidget *m_list;
    QTableWidget *m_compare;
    QPushButton *m_merge;
    QPushButton *m_undo;
};
