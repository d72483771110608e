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
    account.addressBook = canonicalAddress(QUrl(settings->value(addressBookKey).toString()));
    return account;
}

void SyncAccount::save() const
{
    auto settings = AppEnvironment::current().openSettings();
    settings->beginGroup(QStringLiteral("Settings"));
    settings->setValue(serverKey, server.toString());
    settings->setValue(userKey, user);
    settings->setValue(addressBookKey, canonicalAddress(addressBook).toString());
    settings->endGroup();
    settings->sync();
}

Status checkServerAddress(const QUrl &address)
{
    if (!address.isValid() || address.host().isEmpty())
        return Status::failure(QStringLiteral("同步服务器地址无效。"));
    // A password in the address would end up in the settings file and in every log line.
    if (!address.userInfo().isEmpty())
        return Status::failure(
            QStringLiteral("服务器地址中不能含有用户名或密码，请把它们填在各自的栏里。"));
    const QString scheme = address.scheme().toLower();
    if (scheme == u"https")
        return Status::success();
    if (scheme == u"http" && isLoopback(address.host()))
        return Status::success();
    if (scheme == u"http")
        return Status::failure(QStringLiteral("同步服务器必须使用https地址（http只用于本机）。"));
    return Status::failure(QStringLiteral("同步服务器地址必须以https://开头。"));
}

QUrl canonicalAddress(const QUrl &address)
{
    if (address.isEmpty())
        return {};
    QUrl canonical;
    const QString scheme = address.scheme().toLower();
    canonical.setScheme(scheme);
    canonical.setHost(address.host().toLower());
    const int usualPort = scheme == u"https" ? 443 : scheme == u"http" ? 80 : -1;
    if (address.port() != usualPort)
        canonical.setPort(address.port());
    QString path = address.path(QUrl::FullyDecoded);
    while (path.endsWith(u'/'))
        path.chop(1);
    canonical.setPath(path + u'/', QUrl::DecodedMode);
    return canonical;
}

bool sameOrigin(const QUrl &one, const QUrl &other)
{
    const QUrl a = canonicalAddress(one);
    const QUrl b = canonicalAddress(other);
    return a.scheme() == b.scheme() && a.host() == b.host() && a.port() == b.port();
}

Status checkGivenAddress(const QUrl &given, const QUrl &typed)
{
    if (!given.userInfo().isEmpty())
        return Status::failure(QStringLiteral("同步服务器给出的地址“%1”含有用户名或密码，已拒绝。")
                                   .arg(given.toDisplayString(QUrl::RemoveUserInfo)));
    if (!sameOrigin(given, typed) || !checkServerAddress(given))
        return Status::failure(
            QStringLiteral("同步服务器给出了另一台服务器的地址“%1”，为保护密码已拒绝。")
                .arg(given.toDisplayString()));
    return Status::success();
}
