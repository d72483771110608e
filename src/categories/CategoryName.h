#pragma once

#include <QString>

// The rules a category name obeys before it is stored.
namespace CategoryName {

// The text the name box shows when it holds no name; never accepted as a name.
QString designText();

// The contact list joins group names with " | ", so a name never holds it: every " | " becomes
// " - ".
QString withoutSeparator(QString text);

// The name as it is stored: separators replaced, then trimmed.
QString clean(const QString &typed);

// False for an empty name and for the design text.
bool isEntered(const QString &cleanName);

} // namespace CategoryName
