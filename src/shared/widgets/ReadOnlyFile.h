#pragma once

#include <QString>

class QWidget;

// A data file that cannot be written (a write-protected file, a read-only medium): the user is
// told once when it opens, and every command that would write is refused before it starts, with
// one message, instead of failing half-way.
namespace ReadOnlyFile {

// Said once, when such a file has been opened.
QString openingNotice();
// Tells the user and gives true when readOnly; gives false at once otherwise.
bool refuses(QWidget *parent, bool readOnly);

} // namespace ReadOnlyFile
