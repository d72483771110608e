#pragma once

#include <QString>
#include <QStringView>

// The normalized forms two contacts are compared by. An empty key never matches anything.
namespace DuplicateKeys {

// Digits only: blanks, hyphens, dots and brackets are dropped, and +86, 0086 or 86 before an
// 11-digit mobile number. Empty for a text holding anything else (letters, a second number
// after a slash) or fewer than seven digits, which are too short to tell two people apart.
QString number(QStringView text);
// An 11-digit number beginning with 1, as a normalized mobile number is.
bool isMobile(QStringView normalizedNumber);
// Lower case without outer blanks; empty unless it holds an "@".
QString email(QStringView text);
// Family and given name, trimmed and case-folded. A Latin name gives its parts in sorted order,
// so "Smith John" and "John Smith" share a key; a Chinese name keeps its order.
QString name(QStringView firstName, QStringView lastName);
// Blanks removed and case-folded, for company names and address lines; the parts are joined.
QString text(QStringView value, QStringView more = {});

} // namespace DuplicateKeys
