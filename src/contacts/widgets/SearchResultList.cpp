#include "SearchResultList.h"

#include "contacts/TextOrder.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <algorithm>
#include <vector>

namespace {

constexpr int tagRole = Qt::UserRole;
constexpr int positionRole = Qt::UserRole + 1;

// Rows whose estimated text width comes closest to the widest; only these are measured exactly,
// so kerning and fallback fonts cannot hide the true widest text.
constexpr int measuredCandidates = 16;

// Adds up cached character advances: close to the real width and cheap enough for every row.
class WidthEstimate
{
public:
    explicit WidthEstimate(const QFont &font)
        : m_metrics(font)
        , m_advances(0x10000, -1)
    { }

    int of(const QString &text)
    {
        int width = 0;
        for (const QChar c : text) {
            if (c.isSurrogate()) {
                width += m_metrics.averageCharWidth();
                continue;
            }
            int &advance = m_advances[c.unicode()];
            if (advance < 0)
                advance = m_metrics.horizontalAdvance(c);
            width += advance;
        }
        return width;
    }

private:
    QFontMetrics m_metrics;
    std::vector<int> m_advances;
};

} // namespace

SearchResultList::SearchResultList(QWidget *parent)
    : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(true);
    connect(header(), &QHeaderView::sectionClicked, this, &SearchResultList::orderByColumn);
}

void SearchResultList::fill(const QList<ContactRow> &rows)
{
    clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(rows.size());
    for (qsizetype position = 0; position < rows.size(); ++position) {
        const ContactRow &row = rows.at(position);
        auto *item = new QTreeWidgetItem(QStringList { row.displayName } + row.columnTexts());
        item->setData(0, tagRole, row.id);
        item->setData(0, positionRole, position);
        items.append(item);
    }
    addTopLevelItems(items);
    if (m_sortColumn >= 0)
        orderByColumn(m_sortColumn);
}

void SearchResultList::orderByColumn(int column)
{
    m_sortColumn = column;
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, Qt::AscendingOrder);
    QTreeWidgetItem *current = currentItem();
    const bool selected = current && current->isSelected();
    QList<QTreeWidgetItem *> items = invisibleRootItem()->takeChildren();
    QStringList texts;
    texts.reserve(items.size());
    for (const QTreeWidgetItem *item : std::as_const(items))
        texts << item->text(column);
    QList<QTreeWidgetItem *> sorted;
    sorted.reserve(items.size());
    for (const int position : TextOrder::ascending(texts))
        sorted.append(items.at(position));
    addTopLevelItems(sorted);
    if (current) {
        setCurrentItem(current);
        current->setSelected(selected);
        scrollToItem(current);
    }
}

void SearchResultList::fitColumns(int maxWidth)
{
    for (int column = 0; column < columnCount(); ++column) {
        resizeColumnToContents(column);
        if (columnWidth(column) > maxWidth)
            setColumnWidth(column, maxWidth);
    }
}

qint64 SearchResultList::idOf(const QTreeWidgetItem *item)
{
    return item->data(0, tagRole).toLongLong();
}

qsizetype SearchResultList::positionOf(const QTreeWidgetItem *item)
{
    return item->data(0, positionRole).value<qsizetype>();
}

int SearchResultList::sizeHintForColumn(int column) const
{
    if (topLevelItemCount() == 0)
        return QTreeWidget::sizeHintForColumn(column);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    int widest = 0;
    for (const int row : widestRows(column, measuredCandidates)) {
        const QModelIndex index = indexFromItem(topLevelItem(row), column);
        widest = std::max(widest, itemDelegateForIndex(index)->sizeHint(option, index).width());
    }
    return widest;
}

QList<int> SearchResultList::widestRows(int column, int candidates) const
{
    WidthEstimate estimate(font());
    std::vector<std::pair<int, int>> widths;
    widths.reserve(size_t(topLevelItemCount()));
    for (int row = 0; row < topLevelItemCount(); ++row)
        widths.emplace_back(estimate.of(topLevelItem(row)->text(column)), row);
    const auto end
        = widths.begin() + std::min<std::ptrdiff_t>(candidates, std::ptrdiff_t(widths.size()));
    std::partial_sort(widths.begin(), end, widths.end(), std::greater<>());
    QList<int> rows;
    for (auto it = widths.begin(); it != end; ++it)
        rows.append(it->second);
    return rows;
}
