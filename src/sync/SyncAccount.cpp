#include "SyncAccount.h"

#include "shared/AppEnvironment.h"

#include <QHostAddress>

namespace {

const QString serverKey = QStringLiteral("CardDavServer");
const QString userKey = QStringLiteral("CardDavUser");
const QString addressBookKey = QStringLiteral("CardDavAddressBook");

bool isLoopback(const QString &host)
{
    if (host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0)
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace

bool SyncAccount::isComplete() const
{
    return server.isValid() && !server.isEmpty() && !user.isEmpty() && addressBook.isValid()
        && !addressBook.isEmpty();
}

SyncAccount SyncAccount::load()
{
    auto settings = AppEnvironment::current().openSettings();
    settings->beginGroup(QStringLiteral("Settings"));
    SyncAccount account;
    account.server = QUrl(settings->value(serverKey).toString());
    account.user = settings->value(userKey).toString();
    account.addressBook = QUrl(settings->value(addressBookKey).toString());
    return account;
}

void SyncAccount::save() const
{
    auto settings = AppEnvironment::current().openSettings();
    settings->beginGroup(QStringLiteral("Settings"));
    settings->setValue(serverKey, server.toString());
    settings->setValue(userKey, user);
    settings->setValue(addressBookKey, addressBook.toString());
    settings->endGroup();
    settings->sync();
}

Status checkServerAddress(const QUrl &address)
{
    if (!address.isValid() || address.host().isEmpty())
        return Status::failure(QStringLiteral("同步服务器地址无效。"));
    const QString scheme = address.scheme().toLower();
    if (scheme == u"https")
        return Status::success();
    if (scheme == u"http" && isLoopback(address.host()))
        return Status::success();
    if (scheme == u"http")
        return Status::failure(QStringLiteral("同步服务器必须使用https地址（http只用于本机）。"));
    return Status::failure(QStringLiteral("同步服务器地址必须以https://开头。"));
}
