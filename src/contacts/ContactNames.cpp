#include "ContactNames.h"

namespace ContactNames {

QString displayName(const QString &firstName, const QString &lastName)
{
    return firstName.trimmed() + QLatin1Char(' ') + lastName.trimmed();
}

QString placeholderName()
{
    return QStringLiteral("姓 名字");
}

QString templateName()
{
    return QStringLiteral("模板 模板");
}

bool isReserved(const QString &displayName)
{
    return displayName == placeholderName() || displayName == templateName();
}

} // namespace ContactNames
