#include "TextOrder.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <numeric>
#include <optional>
#include <vector>

namespace {

bool beginsWithChinese(const QString &text)
{
    if (text.isEmpty())
        return false;
    char32_t first = text.at(0).unicode();
    if (QChar::isHighSurrogate(first) && text.size() > 1)
        first = QChar::surrogateToUcs4(text.at(0), text.at(1));
    return QChar::script(first) == QChar::Script_Han;
}

struct SortEntry
{
    bool chinese;
    // Keys are built once per text: comparing them is far cheaper than collating each pair.
    std::optional<QCollatorSortKey> key;
};

} // namespace

namespace TextOrder {

QList<int> ascending(const QStringList &texts)
{
    QCollator pinyin(QLocale(QLocale::Chinese, QLocale::China));
    QCollator local(QLocale::system());
    std::vector<SortEntry> entries;
    entries.reserve(texts.size());
    for (const QString &text : texts) {
        const bool chinese = beginsWithChinese(text);
        entries.push_back({ chinese, (chinese ? pinyin : local).sortKey(text) });
    }
    QList<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&entries](int left, int right) {
        const SortEntry &a = entries[size_t(left)];
        const SortEntry &b = entries[size_t(right)];
        if (a.chinese != b.chinese)
            return b.chinese;
        return a.key->compare(*b.key) < 0;
    });
    return order;
}

} // namespace TextOrder
