#pragma once

#include "ContactRow.h"
#include "shared/Status.h"

#include <QDateTime>
#include <QList>
#include <QString>

// The contact list text file: built from the listed rows, written beside the program.
namespace ContactExport {

// "Mylist.txt" in the data folder, beside the default data file.
QString filePath();
// The whole file text, rows in the given order, CR LF line ends, no line end after the time.
QString text(const QList<const ContactRow *> &rows, const QDateTime &generated);
QString text(const QList<ContactRow> &rows, const QDateTime &generated);
// Writes that text to filePath() in the system's code page, piece by piece. The old file stays
// untouched unless the new one was written completely.
Status write(const QList<const ContactRow *> &rows, const QDateTime &generated);

} // namespace ContactExport
