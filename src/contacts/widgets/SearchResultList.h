#pragma once

#include "contacts/ContactRow.h"

#include <QTreeWidget>

// The report list of the search window: one row per contact, the contact's ID as the row's tag.
// Fits its columns over every row, however many, without measuring each text.
class SearchResultList : public QTreeWidget
{
    Q_OBJECT

public:
    explicit SearchResultList(QWidget *parent = nullptr);

    // Replaces the rows, keeping the order chosen by the last heading click.
    void fill(const QList<ContactRow> &rows);
    // Sorts the rows by one column, ascending; later fillings keep this order.
    void orderByColumn(int column);
    // Fits each column to its heading and contents, but no wider than maxWidth pixels.
    void fitColumns(int maxWidth);

    static qint64 idOf(const QTreeWidgetItem *item);
    // Where the item's contact stands in the rows of the last filling.
    static qsizetype positionOf(const QTreeWidgetItem *item);

protected:
    int sizeHintForColumn(int column) const override;

private:
    QList<int> widestRows(int column, int candidates) const;

    int m_sortColumn = -1;
};
