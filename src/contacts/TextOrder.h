#pragma once

#include <QList>
#include <QStringList>

// The order a column of the result list is sorted in: texts that begin with a Chinese character
// follow pinyin where the platform's collation knows it; all other texts come first, in the
// order of the system's locale.
namespace TextOrder {

// Positions of texts in ascending order; equal texts keep their original order.
QList<int> ascending(const QStringList &texts);

} // namespace TextOrder
