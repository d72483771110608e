#pragma once

#include "ContactRow.h"
#include "shared/Status.h"

#include <QDateTime>
#include <QList>
#include <QLocale>
#include <QString>
#include <functional>

// The contact list text file: built from the listed rows, written beside the program.
namespace ContactExport {

// "Mylist.txt" in the program folder.
QString filePath();
// Short date and long time of the locale, the way the system writes a general date.
QString generalDateTime(const QDateTime &time, const QLocale &locale = QLocale::system());
// The rows to write, in order, made one at a time so a long list never sits in memory whole.
struct Rows
{
    qsizetype count = 0;
    std::function<ContactRow(qsizetype)> at;
};
Rows rowsOf(const QList<ContactRow> &rows);

// The whole file text, rows in the given order, CR LF line ends, no line end after the time.
QString text(const Rows &rows, const QDateTime &generated);
// Writes that text to filePath() in the system's code page, piece by piece. The old file stays
// untouched unless the new one was written completely.
Status write(const Rows &rows, const QDateTime &generated);

} // namespace ContactExport
