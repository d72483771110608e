#include "CategoryKind.h"

namespace CategoryKind {

QString managerCaption(int kind)
{
    switch (kind) {
    case JobTitle:
        return QStringLiteral("设置[职务]类别");
    case ContactMethod:
        return QStringLiteral("设置[联系方式]类别");
    case RelationshipGroup:
        return QStringLiteral("设置[关系]类别");
    default:
        return QStringLiteral("设置类别名称");
    }
}

} // namespace CategoryKind
