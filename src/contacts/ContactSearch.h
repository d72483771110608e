#pragma once

#include <QString>
#include <QStringList>

// How the search box's text is read; ContactSearchIndex does the search.
namespace ContactSearch {

// What the search box shows before the user types.
QString promptText();
// "*", the empty text and the prompt list every contact; compared as typed, not trimmed.
bool listsAll(const QString &keyText);
// The keywords in use: the text split at each ordinary blank, up to the first empty piece.
QStringList keywords(const QString &keyText);

} // namespace ContactSearch
