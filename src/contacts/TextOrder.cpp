#include "TextOrder.h"

#include <QCollator>
#include <QLocale>
#include <algorithm>
#include <numeric>
#include <vector>

namespace {

// Orders the readings, and texts read alike (张 and 章) in the Chinese collation's own order.
QCollator pinyinCollator()
{
    return QCollator(QLocale(QLocale::Chinese, QLocale::China));
}

} // namespace

namespace TextOrder {

QList<int> ascending(const QStringList &texts, Start start)
{
    const QCollator collator = pinyinCollator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(texts.size()));
    // Keys are built once per text: comparing them is far cheaper than collating each pair.
    for (const QString &text : texts)
        keys.push_back(collator.sortKey(PinyinReading::orderText(text, start)));
    QList<int> order(texts.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int left, int right) {
        int compared = keys[size_t(left)].compare(keys[size_t(right)]);
        if (compared == 0)
            compared = collator.compare(texts.at(left), texts.at(right));
        return compared < 0;
    });
    return order;
}

bool lessThan(const QString &left, const QString &right, Start start)
{
    // A collator is not shared between threads.
    thread_local const QCollator collator = pinyinCollator();
    int compared = collator.compare(PinyinReading::orderText(left, start),
                                    PinyinReading::orderText(right, start));
    if (compared == 0)
        compared = collator.compare(left, right);
    return compared < 0;
}

} // namespace TextOrder
