#pragma once

#include <QString>

// Family and given name from a name written whole, as a card's FN holds it, and back.
namespace PersonName {

struct Parts
{
    QString family;
    QString given;
};

bool isHan(QStringView text);
// A Han name splits after its surname (two-character surnames such as 欧阳 kept whole when a
// given name follows), a Latin name before its last word.
Parts split(const QString &fullName);
// A Han name as a person writes it, without a blank (张三); any other given name first.
QString join(const QString &family, const QString &given);

} // namespace PersonName
