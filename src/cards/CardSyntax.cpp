#include "CardSyntax.h"

namespace CardSyntax {

bool isNameChar(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'
        || c == '_';
}

bool startsProperty(QByteArrayView line)
{
    qsizetype i = 0;
    while (i < line.size() && (isNameChar(line.at(i)) || line.at(i) == '.'))
        ++i;
    return i > 0 && i < line.size() && (line.at(i) == ':' || line.at(i) == ';');
}

CardVersion versionOf(QByteArrayView number)
{
    const QByteArrayView trimmed = number.trimmed();
    return trimmed == "2.1" ? CardVersion::V21
        : trimmed == "4.0"  ? CardVersion::V40
                            : CardVersion::V30;
}

} // namespace CardSyntax
