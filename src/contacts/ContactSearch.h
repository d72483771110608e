#pragma once

#include "SearchResult.h"
#include "shared/Status.h"

#include <QString>
#include <QStringList>

class Database;

// The keyword search over all contacts, made in memory over every field but the ID.
namespace ContactSearch {

// What the search box shows before the user types.
QString promptText();
// "*", the empty text and the prompt list every contact; compared as typed, not trimmed.
bool listsAll(const QString &keyText);
// The keywords in use: the text split at each ordinary blank, up to the first empty piece.
QStringList keywords(const QString &keyText);
// Contacts holding any keyword inside one field (or all contacts), highest ID first, the
// template and the placeholder left out.
Result<SearchResult> run(Database &database, const QString &keyText);

} // namespace ContactSearch
