#pragma once

#include "Card.h"

#include <QByteArrayView>

// The shape of a card's lines, the same for every reader of them.
namespace CardSyntax {

// A letter, digit, "-" or "_": what names and groups are made of.
bool isNameChar(char c);
// A line that starts a property of its own ("TEL;CELL:…", "item2.EMAIL:…").
bool startsProperty(QByteArrayView line);
// The version a VERSION value names; 3.0 for any it does not.
CardVersion versionOf(QByteArrayView number);

// A line, or a value, whose last backslash escapes nothing; for bytes and text alike.
template<typename Text> bool endsWithOddBackslashes(const Text &text)
{
    qsizetype count = 0;
    for (qsizetype i = text.size() - 1; i >= 0 && text.at(i) == u'\\'; --i)
        ++count;
    return count % 2 == 1;
}

} // namespace CardSyntax
