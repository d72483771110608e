#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <memory>

// A real CardDAV server from Debian, started for a test on 127.0.0.1 with a folder of its own and
// stopped when this goes, even when the test fails. The user is alice with the password secret.
class DavTestServer
{
public:
    virtual ~DavTestServer() = default;

    // The servers a test runs against, by the names start() takes.
    static QStringList names();
    static std::unique_ptr<DavTestServer> start(const QString &name);

    // Empty when the server answers; else why it does not (not installed, did not start).
    virtual QString problem() const = 0;
    virtual QUrl root() const = 0;
    // A new, empty address book of the user; an empty URL when the server refused it.
    virtual QUrl makeAddressBook(const QString &name) = 0;
    // One request as the user; the status, and the body into body when given.
    virtual int request(const QByteArray &method, const QUrl &url, const QByteArray &content = {},
                        QByteArray *body = nullptr)
        = 0;

    // The body of an extended MKCOL that makes an address book.
    static QByteArray addressBookBody(const QString &name);
};
