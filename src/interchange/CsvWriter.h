#pragma once

#include <QString>
#include <QStringList>

// One CSV line as RFC 4180 writes it: fields holding a comma, a quote or a line break are
// quoted, quotes doubled, CR LF at the end.
namespace CsvWriter {

QString line(const QStringList &fields);

} // namespace CsvWriter
