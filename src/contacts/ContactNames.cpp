#include "ContactNames.h"

#include "data/ReservedRows.h"
#include "shared/Blanks.h"

namespace {

const char16_t placeholder[] = u"姓 名字";
const char16_t templateRow[] = u"模板 模板";

} // namespace

namespace ContactNames {

QString placeholderName()
{
    return QString::fromUtf16(placeholder);
}

QString templateName()
{
    return QString::fromUtf16(templateRow);
}

QStringView trimBlanks(QStringView text)
{
    return Blanks::trimmed(text);
}

QString displayName(QStringView firstName, QStringView lastName)
{
    const QStringView first = trimBlanks(firstName);
    const QStringView last = trimBlanks(lastName);
    QString name;
    name.reserve(first.size() + 1 + last.size());
    name.append(first).append(u' ').append(last);
    return name;
}

bool isReserved(QStringView displayName)
{
    return displayName == QStringView(placeholder) || displayName == QStringView(templateRow);
}

bool isReserved(QStringView firstName, QStringView lastName)
{
    // Cheaper than building the display name, and equal to it.
    return ReservedRows::matches(firstName, lastName);
}

} // namespace ContactNames
