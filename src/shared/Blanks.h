#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>

// What counts as a blank wherever a name, a group or a category is trimmed or tested for being
// empty: every Unicode space (the ordinary one, the full-width "　" of Chinese input methods, the
// no-break space and their kin), the same in the windows, the lists and the file's own tests.
namespace Blanks {

bool isBlank(QChar c);
QStringView trimmed(QStringView text);
// True for the empty text too.
bool onlyBlanks(QStringView text);
// The same for UTF-8 text read straight from the file.
QByteArrayView trimmedUtf8(QByteArrayView text);
// Every blank character, for SQLite's trim(X, Y); a constant without quotes.
QString sqlTrimSet();

} // namespace Blanks
