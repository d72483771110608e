#include "ContactKeys.h"

namespace ContactKeys {

QString withSignPosition(qint64 number)
{
    return number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
}

QString groupKey(qint64 groupNumber)
{
    return QStringLiteral("_+") + withSignPosition(groupNumber);
}

QString contactKey(qint64 id)
{
    return withSignPosition(id) + QLatin1Char('C');
}

bool isGroupKey(const QString &key)
{
    return key.contains(QLatin1Char('_'));
}

qint64 leadingNumber(const QString &key)
{
    qsizetype i = 0;
    while (i < key.size() && key.at(i).isSpace())
        ++i;
    const qsizetype start = i;
    if (i < key.size() && (key.at(i) == QLatin1Char('-') || key.at(i) == QLatin1Char('+')))
        ++i;
    while (i < key.size() && key.at(i) >= QLatin1Char('0') && key.at(i) <= QLatin1Char('9'))
        ++i;
    bool ok = false;
    const qint64 number = key.mid(start, i - start).toLongLong(&ok);
    return ok ? number : 0;
}

} // namespace ContactKeys
