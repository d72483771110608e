#include "TextOrder.h"

#include <QCollator>
#include <QHash>
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
    // Names repeat, family names above all: each distinct text is read and collated once.
    QHash<QString, int> distinctIndex;
    QList<QString> distinct;
    QList<int> distinctOf(texts.size());
    for (qsizetype i = 0; i < texts.size(); ++i) {
        const auto found = distinctIndex.constFind(texts.at(i));
        if (found != distinctIndex.cend()) {
            distinctOf[i] = found.value();
            continue;
        }
        distinctOf[i] = int(distinct.size());
        distinctIndex.insert(texts.at(i), int(distinct.size()));
        distinct.append(texts.at(i));
    }
    const QCollator collator = pinyinCollator();
    std::vector<QCollatorSortKey> keys;
    keys.reserve(size_t(distinct.size()));
    for (const QString &text : std::as_const(distinct))
        keys.push_back(collator.sortKey(PinyinReading::orderText(text, start)));
    const auto compare = [&](int left, int right) {
        const int compared = keys[size_t(left)].compare(keys[size_t(right)]);
        return compared != 0 ? compared : collator.compare(distinct.at(left), distinct.at(right));
    };
    QList<int> sorted(distinct.size());
    std::iota(sorted.begin(), sorted.end(), 0);
    std::sort(sorted.begin(), sorted.end(),
              [&](int left, int right) { return compare(left, right) < 0; });
    // Texts the collation finds equal share a rank, so they keep their original order.
    QList<int> rank(distinct.size());
    int ranks = 0;
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        if (i > 0 && compare(sorted.at(i - 1), sorted.at(i)) != 0)
            ++ranks;
        rank[sorted.at(i)] = ranks;
    }
    // A counting sort by rank: stable, and linear in the number of texts.
    QList<int> next(ranks + 2, 0);
    for (const int d : std::as_const(distinctOf))
        ++next[rank.at(d) + 1];
    std::partial_sum(next.begin(), next.end(), next.begin());
    QList<int> order(texts.size());
    for (qsizetype i = 0; i < texts.size(); ++i)
        order[next[rank.at(distinctOf.at(i))]++] = int(i);
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
