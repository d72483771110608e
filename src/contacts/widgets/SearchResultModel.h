#pragma once

#include "contacts/ContactSearchIndex.h"

#include <QAbstractTableModel>
#include <QStringList>

// The rows of one search, read from the search index only when a view asks for them, so a list
// of every contact costs what its visible rows cost. Sorting by a column reorders row numbers.
class SearchResultModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    // The contact's ID, the row's tag.
    static constexpr int idRole = Qt::UserRole;

    SearchResultModel(const ContactSearchIndex &index, QStringList headings,
                      QObject *parent = nullptr);

    // Replaces the rows, keeping the order chosen by the last sort.
    void setResult(SearchResult result);
    const SearchResult &result() const { return m_result; }
    // Sorts the rows by one column, ascending; equal texts keep their order, and later results
    // are sorted the same way.
    void sortByColumn(int column);
    int sortColumn() const { return m_sortColumn; }
    // The contact shown in a row.
    quint32 contactAt(int row) const;
    // The row's texts as UTF-8 into out, which keeps its memory; for measuring many rows.
    void textsUtf8(int row, ContactSearchIndex::ColumnsUtf8 &out) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    void applyOrder(const QList<int> &order);
    QList<int> sortedOrder(int column) const;

    const ContactSearchIndex &m_index;
    QStringList m_headings;
    SearchResult m_result;
    int m_sortColumn = -1;
};
