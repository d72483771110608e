#include "SearchResultModel.h"

#include "contacts/TextOrder.h"

SearchResultModel::SearchResultModel(const ContactSearchIndex &index, QStringList headings,
                                     QObject *parent)
    : QAbstractTableModel(parent)
    , m_index(index)
    , m_headings(std::move(headings))
{ }

void SearchResultModel::setResult(SearchResult result)
{
    beginResetModel();
    m_result = std::move(result);
    if (m_sortColumn >= 0) {
        const QList<int> order = sortedOrder(m_sortColumn);
        std::vector<quint32> sorted;
        sorted.reserve(size_t(order.size()));
        for (const int position : order)
            sorted.push_back(m_result.contacts[size_t(position)]);
        m_result.contacts = std::move(sorted);
    }
    endResetModel();
}

void SearchResultModel::sortByColumn(int column)
{
    m_sortColumn = column;
    applyOrder(sortedOrder(column));
}

QList<int> SearchResultModel::sortedOrder(int column) const
{
    QStringList texts;
    texts.reserve(rowCount());
    for (const quint32 contact : m_result.contacts)
        texts << m_index.columnText(contact, column);
    // The name column begins with the family name, whose characters keep their surname reading.
    return TextOrder::ascending(texts,
                                column == 0 ? TextOrder::Start::Name : TextOrder::Start::Text);
}

void SearchResultModel::applyOrder(const QList<int> &order)
{
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> newRowOf(order.size());
    std::vector<quint32> sorted;
    sorted.reserve(size_t(order.size()));
    for (int row = 0; row < order.size(); ++row) {
        newRowOf[size_t(order.at(row))] = row;
        sorted.push_back(m_result.contacts[size_t(order.at(row))]);
    }
    m_result.contacts = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex &index : before)
        after << this->index(newRowOf[size_t(index.row())], index.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

quint32 SearchResultModel::contactAt(int row) const
{
    return m_result.contacts[size_t(row)];
}

void SearchResultModel::textsUtf8(int row, ContactSearchIndex::ColumnsUtf8 &out) const
{
    m_index.columnsUtf8(contactAt(row), out);
}

int SearchResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_result.contacts.size());
}

int SearchResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ContactSearchIndex::columnCount;
}

QVariant SearchResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return m_index.columnText(contactAt(index.row()), index.column());
    if (role == idRole)
        return m_index.id(contactAt(index.row()));
    return {};
}

QVariant SearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0
        && section < m_headings.size())
        return m_headings.at(section);
    return {};
}
