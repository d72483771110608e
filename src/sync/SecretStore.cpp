#include "SecretStore.h"

#include "SyncAccount.h"

#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace {

SecretStore *installedStore = nullptr;

// One key per user and server however the address was spelt, and never with a password in it.
QString keyFor(const SyncAccount &account)
{
    return QStringLiteral("carddav:") + account.user + u'@'
        + canonicalAddress(account.server).toString();
}

// Keychain jobs answer through D-Bus; the callers want the answer before they go on.
void runToEnd(QKeychain::Job &job)
{
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec();
}

} // namespace

SecretStore::~SecretStore() = default;

Result<QString> SecretStore::password(const SyncAccount &account)
{
    QKeychain::ReadPasswordJob job(QStringLiteral("Zorvane"));
    job.setAutoDelete(false);
    job.setKey(keyFor(account));
    runToEnd(job);
    if (job.error() == QKeychain::EntryNotFound)
        return Status::failure(QStringLiteral("没有保存的同步密码。"));
    if (job.error() != QKeychain::NoError)
        return Status::failure(QStringLiteral("无法读取密码存储：") + job.errorString());
    return job.textData();
}

Status SecretStore::storePassword(const SyncAccount &account, const QString &password)
{
    QKeychain::WritePasswordJob job(QStringLiteral("Zorvane"));
    job.setAutoDelete(false);
    job.setKey(keyFor(account));
    job.setTextData(password);
    runToEnd(job);
    if (job.error() != QKeychain::NoError)
        return Status::failure(QStringLiteral("无法保存密码：") + job.errorString());
    return Status::success();
}

SecretStore &SecretStore::current()
{
    static SecretStore desktopStore;
    return installedStore ? *installedStore : desktopStore;
}

void SecretStore::install(SecretStore *store)
{
    installedStore = store;
}
