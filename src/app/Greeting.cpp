#include "Greeting.h"

#include "shared/AppVersion.h"

#include <QLocale>

namespace Greeting {

QString generalDateTime(const QDateTime &when)
{
    const QLocale locale = QLocale::system();
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(when.time(), QLocale::LongFormat);
}

QString text(const QString &userName, const QDateTime &now)
{
    return userName + QStringLiteral(",您好！欢迎使用[") + AppVersion::productName()
        + QStringLiteral("]，现在时间是：") + generalDateTime(now);
}

} // namespace Greeting
