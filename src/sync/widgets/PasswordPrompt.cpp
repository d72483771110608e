#include "PasswordPrompt.h"

#include "sync/SyncAccount.h"

#include <QInputDialog>
#include <QLineEdit>

namespace {

PasswordPrompt *installed = nullptr;

} // namespace

std::optional<QString> PasswordPrompt::ask(QWidget *parent, const SyncAccount &account)
{
    bool given = false;
    const QString password
        = QInputDialog::getText(parent, QStringLiteral("立即同步"),
                                QStringLiteral("请输入用户“%1”在 %2 的密码：")
                                    .arg(account.user, account.server.toDisplayString()),
                                QLineEdit::Password, QString(), &given);
    if (!given)
        return std::nullopt;
    return password;
}

PasswordPrompt &PasswordPrompt::current()
{
    static PasswordPrompt real;
    return installed ? *installed : real;
}

void PasswordPrompt::install(PasswordPrompt *prompt)
{
    installed = prompt;
}
