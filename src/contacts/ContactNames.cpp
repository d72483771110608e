#include "ContactNames.h"

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
    // Cheaper than building the display name, and equal to it: each reserved name holds exactly
    // one blank, so the split between the two parts is fixed.
    const QStringView first = trimBlanks(firstName);
    const QStringView last = trimBlanks(lastName);
    return (first == u"姓" && last == u"名字") || (first == u"模板" && last == u"模板");
}

} // namespace ContactNames
