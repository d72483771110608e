#pragma once

#include "ContactRow.h"
#include "shared/Status.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <functional>

// The contact list text file: built from the listed rows, written beside the program.
namespace ContactExport {

// "Mylist.txt" in the data folder, beside the default data file.
QString filePath();
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
