#pragma once

#include "VCard.h"

#include <QByteArray>

// Reads versions 2.1, 3.0 and 4.0, in any mix, tolerant of what real senders write. A card that
// cannot be read is reported with the line where reading failed; the others are still read.
namespace VCardReader {

struct Output
{
    QList<VCard> cards;
    QList<ReadProblem> problems;
};

// True when the first line holding text opens a card.
bool looksLikeVCard(const QByteArray &bytes);
enum class Others { Skip, Keep };
Output read(const QByteArray &bytes, Others others = Others::Skip);

// Undoes backslash escapes: \n and \N become a line break, any other escaped character itself.
QString unescape(QStringView text);
// Splits at each unescaped separator, then unescapes the parts.
QStringList splitUnescaped(QStringView text, QChar separator);

} // namespace VCardReader
