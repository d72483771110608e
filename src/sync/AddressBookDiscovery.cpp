#include "AddressBookDiscovery.h"

#include "DavBodies.h"
#include "DavClient.h"
#include "Multistatus.h"
#include "SyncAccount.h"

#include <QTimer>

struct AddressBookDiscovery::Run
{
    DavClient client;
    QUrl server;
    bool stopped = false;
};

namespace {

// The first property a multistatus names, resolved against the address it came from.
QUrl firstHref(const Multistatus &answer, const QUrl &from, QString DavResource::*property)
{
    for (const DavResource &resource : answer.resources) {
        if (!(resource.*property).isEmpty())
            return from.resolved(QUrl(resource.*property));
    }
    return {};
}

QString lastSegment(const QUrl &url)
{
    QString path = url.path(QUrl::FullyDecoded);
    while (path.endsWith(u'/'))
        path.chop(1);
    return path.mid(path.lastIndexOf(u'/') + 1);
}

} // namespace

AddressBookDiscovery::AddressBookDiscovery(QObject *parent)
    : QObject(parent)
    , m_timeout(std::chrono::seconds(30))
{ }

AddressBookDiscovery::~AddressBookDiscovery() = default;

void AddressBookDiscovery::setTimeout(std::chrono::milliseconds perRequest)
{
    m_timeout = perRequest;
}

void AddressBookDiscovery::discover(const QUrl &server, const QString &user,
                                    const QString &password)
{
    if (Status address = checkServerAddress(server); !address)
        return finish(address);
    m_run = std::make_unique<Run>();
    m_run->server = server;
    m_run->client.setCredentials(server, user, password);
    m_run->client.setTimeout(m_timeout);
    QTimer::singleShot(0, this, [this] { findPrincipal(m_run->server, true); });
}

void AddressBookDiscovery::cancel()
{
    if (m_run && !m_run->stopped)
        finish(Status::failure(QStringLiteral("查找通讯录已取消。")));
}

void AddressBookDiscovery::ask(const QUrl &url, const QByteArray &body, const QByteArray &depth,
                               std::function<void(const Multistatus &, const QUrl &)> onAnswer)
{
    m_run->client.send("PROPFIND", url, body, { { "Depth", depth } },
                       [this, onAnswer = std::move(onAnswer)](const Result<DavReply> &reply) {
                           if (!reply)
                               return finish(reply.status());
                           if (reply.value().status != 207)
                               return finish(DavClient::unexpected(reply.value()));
                           const auto answer = Multistatus::parse(reply.value().body);
                           if (!answer)
                               return finish(answer.status());
                           onAnswer(answer.value(), reply.value().url);
                       });
}

void AddressBookDiscovery::findPrincipal(const QUrl &at, bool tryWellKnown)
{
    ask(at, DavBodies::principal(), "0",
        [this, tryWellKnown](const Multistatus &answer, const QUrl &from) {
            const QUrl principal = firstHref(answer, from, &DavResource::principal);
            if (!principal.isEmpty())
                return followTo(principal, [this, principal] { findHome(principal); });
            // Servers that keep their DAV root elsewhere name it at the well-known address.
            if (tryWellKnown)
                return findPrincipal(from.resolved(QUrl(QStringLiteral("/.well-known/carddav"))),
                                     false);
            finish(Status::failure(QStringLiteral("这个地址不是CardDAV服务器。")));
        });
}

void AddressBookDiscovery::findHome(const QUrl &principal)
{
    ask(principal, DavBodies::addressBookHome(), "0",
        [this](const Multistatus &answer, const QUrl &from) {
            const QUrl home = firstHref(answer, from, &DavResource::addressBookHome);
            if (home.isEmpty())
                return finish(Status::failure(QStringLiteral("服务器上没有这个用户的通讯录。")));
            followTo(home, [this, home] { listBooks(home); });
        });
}

void AddressBookDiscovery::listBooks(const QUrl &home)
{
    ask(home, DavBodies::collections(), "1", [this](const Multistatus &answer, const QUrl &from) {
        QList<AddressBookInfo> books;
        for (const DavResource &resource : answer.resources) {
            if (!resource.isAddressBook)
                continue;
            const QUrl url = canonicalAddress(from.resolved(QUrl(resource.href)));
            if (Status given = checkGivenAddress(url, m_run->server); !given)
                return finish(given);
            books.append(
                { url, resource.displayName.isEmpty() ? lastSegment(url) : resource.displayName });
        }
        if (books.isEmpty())
            return finish(Status::failure(QStringLiteral("服务器上没有这个用户的通讯录。")));
        finish(books);
    });
}

void AddressBookDiscovery::followTo(const QUrl &given, const std::function<void()> &next)
{
    if (Status allowed = checkGivenAddress(given, m_run->server); !allowed)
        return finish(allowed);
    next();
}

void AddressBookDiscovery::finish(const Result<QList<AddressBookInfo>> &books)
{
    if (m_run) {
        if (m_run->stopped)
            return;
        m_run->stopped = true;
        m_run->client.abortAll();
    }
    QTimer::singleShot(0, this, [this, books] {
        m_run.reset();
        emit finished(books);
    });
}
