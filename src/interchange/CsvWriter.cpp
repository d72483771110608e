#include "CsvWriter.h"

namespace CsvWriter {

QString line(const QStringList &fields)
{
    QString out;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += u',';
        QString field = fields.at(i);
        if (field.contains(u',') || field.contains(u'"') || field.contains(u'\n')
            || field.contains(u'\r')) {
            field.replace(QStringLiteral("\""), QStringLiteral("\"\""));
            out += u'"' + field + u'"';
        } else {
            out += field;
        }
    }
    return out + QStringLiteral("\r\n");
}

} // namespace CsvWriter
