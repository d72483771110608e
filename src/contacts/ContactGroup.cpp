#include "ContactGroup.h"

#include "ContactNames.h"
#include "categories/CategoryName.h"

namespace ContactGroup {

QString defaultName()
{
    return QStringLiteral("其他方面");
}

bool isBlank(const QString &group)
{
    return ContactNames::trimBlanks(group).isEmpty();
}

QString withDefault(const QString &group)
{
    return isBlank(group) ? defaultName() : group;
}

QString clean(const QString &typed)
{
    return isBlank(typed) ? defaultName() : CategoryName::withoutSeparator(typed);
}

} // namespace ContactGroup
