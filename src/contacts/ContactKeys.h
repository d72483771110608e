#pragma once

#include <QString>

// Keys of the contact tree: a number written with a leading sign position (a blank before a
// number that is not negative); group keys start with "_+", contact keys end with "C".
namespace ContactKeys {

QString withSignPosition(qint64 number);
QString groupKey(qint64 groupNumber);
QString contactKey(qint64 id);
bool isGroupKey(const QString &key);
// The leading numeric value of a key (blanks skipped, reading stops at the first non-digit);
// 0 when the text does not start with a number.
qint64 leadingNumber(const QString &key);

} // namespace ContactKeys
