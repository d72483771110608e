#include "SyncCommands.h"

#include "FrmSyncSettings.h"
#include "PasswordPrompt.h"
#include "contacts/widgets/frmDetails.h"
#include "shared/AppVersion.h"
#include "shared/widgets/ChildWindowHost.h"
#include "shared/widgets/Prompts.h"
#include "sync/CardDavSync.h"
#include "sync/DavClient.h"
#include "sync/SecretStore.h"
#include "sync/SyncAccount.h"

#include <QMdiSubWindow>
#include <QProgressDialog>

namespace {

// A progress bar that shows only when the sync takes longer than a moment.
constexpr int progressDelayMs = 500;

struct Password
{
    QString text;
    // Typed by the user rather than read from the secret store: kept once the server takes it.
    bool typed = false;
};

std::optional<Password> passwordFor(QWidget *window, const SyncAccount &account)
{
    if (const auto stored = SecretStore::current().password(account))
        return Password { stored.value(), false };
    const std::optional<QString> typed = PasswordPrompt::current().ask(window, account);
    if (!typed)
        return std::nullopt;
    return Password { *typed, true };
}

QString summary(const SyncReport &report)
{
    QString text = QStringLiteral("同步完成。\n上传 %1 个，下载 %2 个，合并 %3 个联系人；"
                                  "本地删除 %4 个，服务器上删除 %5 个。")
                       .arg(report.uploaded)
                       .arg(report.downloaded)
                       .arg(report.merged)
                       .arg(report.deletedHere)
                       .arg(report.deletedThere);
    if (!report.unreadable.isEmpty())
        text += QStringLiteral("\n以下名片无法读取，已跳过（对应的联系人没有改动）：\n")
            + report.unreadable.join(u'\n');
    if (!report.ambiguous.isEmpty())
        text += QStringLiteral("\n以下名片在本机有多个可能对应的联系人，没有自动对应：\n")
            + report.ambiguous.join(u'\n');
    return text;
}

// Closes the open editors, which stores what was typed in them, so the sync works on it and no
// editor shows a contact the sync changed. False when one could not close (it told the user why).
bool storeOpenEditors(QWidget *window)
{
    ChildWindowHost *host = ChildWindowHost::of(window);
    if (!host)
        return true;
    const auto frames = host->openChildren();
    for (QMdiSubWindow *frame : frames) {
        if (qobject_cast<frmDetails *>(frame->widget()) && !frame->close()) {
            host->activateChild(frame);
            return false;
        }
    }
    return true;
}

// The question a sync stopped to ask; true when the user says go on.
bool allowed(QWidget *window, const SyncReport &report, const SyncAccount &account)
{
    QString text;
    if (report.question == SyncReport::Question::Relink)
        text = QStringLiteral("这个数据文件的联系人已经与通讯录“%1”对应，现在选的是另一个通讯录"
                              "“%2”。\n要改为与新的通讯录同步吗？原来的对应关系将作废，"
                              "两边的联系人会互相复制。")
                   .arg(report.linkedAddressBook.toDisplayString(),
                        account.addressBook.toDisplayString());
    else
        text = QStringLiteral("这次同步将删除本机%1个联系人中的%2个，以及服务器上%3张名片中的"
                              "%4张。\n确实要删除吗？选“否”则不作任何删除。")
                   .arg(report.contactsHere)
                   .arg(report.wouldDeleteHere)
                   .arg(report.cardsThere)
                   .arg(report.wouldDeleteThere);
    return Prompts::current().askYesNo(window, MessageIcon::Question, AppVersion::productName(),
                                       text)
        == Answer::Yes;
}

Result<SyncReport> runWithProgress(const SyncContext &context, const SyncAccount &account,
                                   const QString &password, SyncPermissions permissions)
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
    return sync.run(account, password, permissions);
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
    if (!storeOpenEditors(context.window))
        return;
    std::optional<Password> password = passwordFor(context.window, account);
    if (!password)
        return;
    SyncPermissions permissions;
    auto outcome = runWithProgress(context, account, password->text, permissions);
    // A password the server now refuses is asked for again, and kept once the server takes it.
    while (!outcome && outcome.message() == DavClient::refusedCredentials().message()) {
        const std::optional<QString> again = PasswordPrompt::current().ask(context.window, account);
        if (!again)
            return;
        password = Password { *again, true };
        outcome = runWithProgress(context, account, password->text, permissions);
    }
    // A desktop without a secret store simply asks again at the next sync.
    if (outcome && password->typed)
        SecretStore::current().storePassword(account, password->text);
    // Each question stops the sync before it changes anything; a yes runs it again with leave.
    while (outcome && outcome.value().question != SyncReport::Question::None) {
        if (!allowed(context.window, outcome.value(), account))
            return;
        if (outcome.value().question == SyncReport::Question::Relink)
            permissions.relink = true;
        else
            permissions.massDeletion = true;
        outcome = runWithProgress(context, account, password->text, permissions);
    }
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
