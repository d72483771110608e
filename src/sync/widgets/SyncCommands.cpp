#include "SyncCommands.h"

#include "FrmSyncSettings.h"
#include "PasswordPrompt.h"
#include "shared/AppVersion.h"
#include "shared/widgets/Prompts.h"
#include "sync/CardDavSync.h"
#include "sync/SecretStore.h"
#include "sync/SyncAccount.h"

#include <QProgressDialog>

namespace {

// A progress bar that shows only when the sync takes longer than a moment.
constexpr int progressDelayMs = 500;

std::optional<QString> passwordFor(QWidget *window, const SyncAccount &account)
{
    if (const auto stored = SecretStore::current().password(account))
        return stored.value();
    return PasswordPrompt::current().ask(window, account);
}

QString summary(const SyncReport &report)
{
    return QStringLiteral("同步完成。\n上传 %1 个，下载 %2 个，合并 %3 个联系人；"
                          "本地删除 %4 个，服务器上删除 %5 个。")
        .arg(report.uploaded)
        .arg(report.downloaded)
        .arg(report.merged)
        .arg(report.deletedHere)
        .arg(report.deletedThere);
}

Result<SyncReport> runWithProgress(const SyncContext &context, const SyncAccount &account,
                                   const QString &password)
{
    QProgressDialog progress(QStringLiteral("正在同步联系人..."), QStringLiteral("取消"), 0, 0,
                             context.window);
    progress.setObjectName(QStringLiteral("SyncProgress"));
    progress.setWindowTitle(QStringLiteral("立即同步"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(progressDelayMs);
    progress.setAutoClose(false);
    progress.setAutoReset(false);

    CardDavSync sync(context.database);
    QObject::connect(&sync, &CardDavSync::progress, &progress, [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
    });
    QObject::connect(&progress, &QProgressDialog::canceled, &sync, &CardDavSync::cancel);
    return sync.run(account, password);
}

} // namespace

namespace SyncCommands {

void openSettings(QWidget *window)
{
    FrmSyncSettings settings(window);
    settings.exec();
}

void syncNow(const SyncContext &context)
{
    const SyncAccount account = SyncAccount::load();
    if (!account.isComplete()) {
        Prompts::current().message(
            context.window, MessageIcon::Information, AppVersion::productName(),
            QStringLiteral("请先在“同步设置(CardDAV)...”中选择同步服务器和通讯录。"));
        return;
    }
    const std::optional<QString> password = passwordFor(context.window, account);
    if (!password)
        return;
    const auto outcome = runWithProgress(context, account, *password);
    // Cards applied before a failure are in the file all the same.
    if (context.afterSync)
        context.afterSync();
    if (outcome)
        Prompts::current().message(context.window, MessageIcon::Information,
                                   AppVersion::productName(), summary(outcome.value()));
    else
        Prompts::current().message(context.window, MessageIcon::Exclamation,
                                   AppVersion::productName(), outcome.message());
}

} // namespace SyncCommands
