#include "CsvWriter.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

bool looksLikeFormula(QStringView cell)
{
    static const QString starts = QStringLiteral("=+-@\t\r");
    return !cell.isEmpty() && starts.contains(cell.at(0));
}

// A number a spreadsheet reads as arithmetic at worst: no names, no references, no calls.
bool isPlainPhoneNumber(const QString &cell)
{
    static const QRegularExpression phone(QStringLiteral("^\\+[0-9 ()./-]+$"));
    return phone.match(cell).hasMatch()
        && std::count_if(cell.cbegin(), cell.cend(), [](QChar c) { return c.isDigit(); }) >= 5;
}

} // namespace

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

QString guarded(const QString &cell)
{
    return looksLikeFormula(cell) && !isPlainPhoneNumber(cell) ? u'\'' + cell : cell;
}

QString unguarded(const QString &cell)
{
    if (cell.size() > 1 && cell.at(0) == u'\'' && looksLikeFormula(QStringView(cell).mid(1)))
        return cell.mid(1);
    return cell;
}

} // namespace CsvWriter
