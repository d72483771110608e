#pragma once

#include <QString>
#include <QStringList>

// One CSV line as RFC 4180 writes it: fields holding a comma, a quote or a line break are
// quoted, quotes doubled, CR LF at the end.
namespace CsvWriter {

QString line(const QStringList &fields);

// A cell a spreadsheet would run as a formula (a leading = + - @, tab or CR) with an apostrophe
// before it, which makes the spreadsheet show the text; plain phone numbers ("+86 138 …") are
// written as they are.
QString guarded(const QString &cell);
// The cell as it was before guarded().
QString unguarded(const QString &cell);

} // namespace CsvWriter
