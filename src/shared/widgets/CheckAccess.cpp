#include "CheckAccess.h"

#include "Prompts.h"
#include "shared/AppState.h"

bool CheckAccess(QWidget *parent)
{
    if (!AppState::instance().isNormalUser())
        return true;
    Prompts::current().message(
        parent, MessageIcon::Exclamation, QStringLiteral("权限不够"),
        QStringLiteral(
            "作为[普通用户]的您没有权限进行该项操作哦，只有以[管理员]的身份登陆才能删除数据！"));
    return false;
}
