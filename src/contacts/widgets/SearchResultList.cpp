#include "SearchResultList.h"

#include "SearchResultModel.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <algorithm>
#include <vector>

namespace {

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

    // The text is UTF-8, as the search index keeps it.
    int of(QByteArrayView text)
    {
        int width = 0;
        const auto *at = reinterpret_cast<const uchar *>(text.data());
        const uchar *end = at + text.size();
        while (at < end) {
            char32_t c = *at;
            int more = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
            c &= more == 0 ? 0x7F : 0x3F >> more;
            for (++at; more > 0 && at < end; --more, ++at)
                c = (c << 6) | (*at & 0x3F);
            width += advance(c);
        }
        return width;
    }

private:
    int advance(char32_t c)
    {
        if (c >= m_advances.size())
            return m_metrics.averageCharWidth();
        int &known = m_advances[c];
        if (known < 0)
            known = m_metrics.horizontalAdvance(QChar(c));
        return known;
    }

    QFontMetrics m_metrics;
    std::vector<int> m_advances;
};

} // namespace

SearchResultList::SearchResultList(SearchResultModel *model, QWidget *parent)
    : QTreeView(parent)
    , m_model(model)
{
    setModel(model);
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

void SearchResultList::orderByColumn(int column)
{
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, Qt::AscendingOrder);
    m_model->sortByColumn(column);
    if (currentIndex().isValid())
        scrollTo(currentIndex());
}

void SearchResultList::fitColumns(int maxWidth)
{
    m_widest = widestRows(measuredCandidates);
    for (int column = 0; column < m_model->columnCount(); ++column) {
        resizeColumnToContents(column);
        if (columnWidth(column) > maxWidth)
            setColumnWidth(column, maxWidth);
    }
    m_widest.clear();
}

int SearchResultList::sizeHintForColumn(int column) const
{
    if (size_t(column) >= m_widest.size())
        return QTreeView::sizeHintForColumn(column);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    int widest = 0;
    for (const int row : m_widest[size_t(column)]) {
        const QModelIndex index = m_model->index(row, column);
        widest = std::max(widest, itemDelegateForIndex(index)->sizeHint(option, index).width());
    }
    return widest;
}

std::vector<std::vector<int>> SearchResultList::widestRows(int candidates) const
{
    WidthEstimate estimate(font());
    const int rows = m_model->rowCount();
    std::array<std::vector<std::pair<int, int>>, ContactSearchIndex::columnCount> widths;
    for (auto &column : widths)
        column.reserve(size_t(rows));
    ContactSearchIndex::ColumnsUtf8 texts;
    for (int row = 0; row < rows; ++row) {
        m_model->textsUtf8(row, texts);
        for (size_t column = 0; column < texts.size(); ++column)
            widths[column].emplace_back(estimate.of(texts[column]), row);
    }
    std::vector<std::vector<int>> found;
    for (auto &column : widths) {
        const auto end
            = column.begin() + std::min<std::ptrdiff_t>(candidates, std::ptrdiff_t(column.size()));
        std::partial_sort(column.begin(), end, column.end(), std::greater<>());
        std::vector<int> rowsFound;
        for (auto it = column.begin(); it != end; ++it)
            rowsFound.push_back(it->second);
        found.push_back(std::move(rowsFound));
    }
    return found;
}
