#include "ContactNames.h"

#include "data/ReservedRows.h"

#include <algorithm>

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
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text.at(begin) == u' ')
        ++begin;
    while (end > begin && text.at(end - 1) == u' ')
        --end;
    return text.mid(begin, end - begin);
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
    const QStringView first = trimBlanks(firstName);
    const QStringView last = trimBlanks(lastName);
    return std::any_of(std::cbegin(ReservedRows::names), std::cend(ReservedRows::names),
                       [&](const ReservedRows::Name &reserved) {
                           return first == reserved.firstName && last == reserved.lastName;
                       });
}

} // namespace ContactNames
