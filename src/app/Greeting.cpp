#include "Greeting.h"

#include "shared/AppVersion.h"
#include "shared/GeneralDate.h"

namespace Greeting {

QString text(const QString &userName, const QDateTime &now)
{
    return userName + QStringLiteral(",您好！欢迎使用[") + AppVersion::productName()
        + QStringLiteral("]，现在时间是：") + GeneralDate::text(now);
}

} // namespace Greeting
