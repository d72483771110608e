#include "GeneralDate.h"

namespace {

// Drops the time-zone field ('t', outside quotes) the locale's long time format may hold.
QString withoutTimeZone(const QString &format)
{
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        if (!quoted && c == QLatin1Char('t'))
            continue;
        kept += c;
    }
    return kept.simplified();
}

} // namespace

namespace GeneralDate {

QString text(const QDateTime &when, const QLocale &locale)
{
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(when.time(), withoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

} // namespace GeneralDate
