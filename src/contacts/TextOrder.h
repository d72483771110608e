#pragma once

#include "PinyinReading.h"

#include <QList>
#include <QStringList>

// The order names and the columns of the result list are sorted in, as Chinese readers expect:
// pinyin order, with Han characters placed by their reading among Latin letters (阿明, Anna,
// 白洁, Bob), digits and blanks first.
namespace TextOrder {

using Start = PinyinReading::Start;

// Positions of texts in ascending order; equal texts keep their original order.
QList<int> ascending(const QStringList &texts, Start start = Start::Text);
// The same order for two texts, for a model that sorts its own rows. ascending() is faster for
// many texts: it reads each text once.
bool lessThan(const QString &left, const QString &right, Start start = Start::Text);

} // namespace TextOrder
