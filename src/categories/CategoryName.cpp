#include "CategoryName.h"

namespace {

const QString separator = QStringLiteral(" | ");
const QString replacement = QStringLiteral(" - ");

} // namespace

namespace CategoryName {

QString designText()
{
    return QStringLiteral("请在此输入新的类别名称");
}

QString withoutSeparator(QString text)
{
    // Repeated because " | | " shares a blank between two separators: one pass leaves the second.
    while (text.contains(separator))
        text.replace(separator, replacement);
    return text;
}

QString clean(const QString &typed)
{
    return withoutSeparator(typed).trimmed();
}

bool isEntered(const QString &cleanName)
{
    return !cleanName.isEmpty() && cleanName != designText();
}

} // namespace CategoryName
