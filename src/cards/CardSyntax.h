#pragma once

#include <QByteArrayView>

// The shape of a card's lines, the same for every reader of them.
namespace CardSyntax {

// A letter, digit, "-" or "_": what names and groups are made of.
bool isNameChar(char c);
// A line that starts a property of its own ("TEL;CELL:…", "item2.EMAIL:…").
bool startsProperty(QByteArrayView line);

} // namespace CardSyntax
