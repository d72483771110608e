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

} // namespace CardSyntax
