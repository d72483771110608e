#pragma once

#include "shared/Status.h"

#include <QByteArray>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPair>
#include <QUrl>
#include <chrono>
#include <functional>

// An HTTP answer of a WebDAV server, whatever its status.
struct DavReply
{
    int status = 0;
    QByteArray body;
    QByteArray etag;
    // Where the answer came from, after redirects.
    QUrl url;
};

// Sends WebDAV requests with the user's credentials, one timeout per request, and redirects only
// to addresses a sync may use. The credentials belong to one server: a request or redirect to
// any other fails without being sent. A request that got no HTTP answer fails with the reason.
class DavClient : public QObject
{
    Q_OBJECT
public:
    using Headers = QList<QPair<QByteArray, QByteArray>>;
    using Done = std::function<void(const Result<DavReply> &)>;

    // An answer larger than this is no address book's: the request fails instead of filling the
    // memory.
    static constexpr qint64 defaultMaxAnswerSize = qint64(256) * 1024 * 1024;

    explicit DavClient(QObject *parent = nullptr);
    ~DavClient() override;

    // origin: the server the user typed; only its scheme, host and port count.
    void setCredentials(const QUrl &origin, const QString &user, const QString &password);
    void setTimeout(std::chrono::milliseconds perRequest);
    void setMaxAnswerSize(qint64 bytes) { m_maxAnswerSize = bytes; }
    void send(const QByteArray &method, const QUrl &url, const QByteArray &body,
              const Headers &headers, Done done);
    // Drops every request on its way; their Done is never called.
    void abortAll();
    int requestsSent() const { return m_sent; }

    // The message for an HTTP answer the caller did not expect.
    static Status unexpected(const DavReply &reply);
    // What unexpected() says of a 401: the server refused the user name or password.
    static Status refusedCredentials();

private:
    // Whether the credentials may go to the address: a failure with the message if not.
    Status mayReach(const QUrl &url) const;

    QNetworkAccessManager m_network;
    QUrl m_origin;
    QByteArray m_authorization;
    std::chrono::milliseconds m_timeout;
    qint64 m_maxAnswerSize = defaultMaxAnswerSize;
    int m_sent = 0;
};
