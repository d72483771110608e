#include "DavClient.h"

#include "SyncAccount.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace {

// Where a redirect the client would not follow pointed.
constexpr char refusedRedirect[] = "zorvaneRefusedRedirect";
// Set on a reply given up for its size.
constexpr char tooLarge[] = "zorvaneTooLarge";

Status noAnswer(const QNetworkReply &reply, std::chrono::milliseconds timeout)
{
    switch (reply.error()) {
    case QNetworkReply::OperationCanceledError:
    case QNetworkReply::TimeoutError:
        return Status::failure(QStringLiteral("同步服务器在%1秒内没有应答。")
                                   .arg(std::chrono::duration<double>(timeout).count()));
    case QNetworkReply::SslHandshakeFailedError:
        return Status::failure(QStringLiteral("无法建立与同步服务器的安全连接：")
                               + reply.errorString());
    default:
        return Status::failure(QStringLiteral("无法连接同步服务器：") + reply.errorString());
    }
}

} // namespace

DavClient::DavClient(QObject *parent)
    : QObject(parent)
    , m_timeout(std::chrono::seconds(30))
{
    m_network.setRedirectPolicy(QNetworkRequest::UserVerifiedRedirectPolicy);
}

DavClient::~DavClient()
{
    // The answers must not reach callers that are going away with this client.
    abortAll();
}

void DavClient::setCredentials(const QUrl &origin, const QString &user, const QString &password)
{
    m_origin = origin;
    m_authorization = "Basic " + (user + u':' + password).toUtf8().toBase64();
}

void DavClient::setTimeout(std::chrono::milliseconds perRequest)
{
    m_timeout = perRequest;
}

void DavClient::send(const QByteArray &method, const QUrl &url, const QByteArray &body,
                     const Headers &headers, Done done)
{
    if (Status allowed = mayReach(url); !allowed) {
        QTimer::singleShot(0, this, [allowed, done = std::move(done)] { done(allowed); });
        return;
    }
    QNetworkRequest request(url);
    // The credentials go with the first request: servers answer a request without them with
    // 401 and no chance to retry a body already sent.
    request.setRawHeader("Authorization", m_authorization);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    if (!body.isEmpty() && !request.hasRawHeader("Content-Type"))
        request.setRawHeader("Content-Type", "application/xml; charset=utf-8");
    request.setTransferTimeout(int(m_timeout.count()));
    QNetworkReply *reply = m_network.sendCustomRequest(request, method, body);
    ++m_sent;
    // The credentials travel with a followed redirect, so it may not leave the server. The reply
    // already names the target when it tells of one: compare with the address asked for.
    connect(reply, &QNetworkReply::redirected, reply, [this, reply](const QUrl &target) {
        if (mayReach(target)) {
            emit reply->redirectAllowed();
            return;
        }
        reply->setProperty(refusedRedirect, target);
        reply->abort();
    });
    connect(reply, &QNetworkReply::downloadProgress, reply,
            [reply, limit = m_maxAnswerSize](qint64 received, qint64 announced) {
                if (received > limit || announced > limit) {
                    reply->setProperty(tooLarge, true);
                    reply->abort();
                }
            });
    connect(reply, &QNetworkReply::finished, this, [this, reply, done = std::move(done)] {
        reply->deleteLater();
        if (reply->property(tooLarge).isValid()) {
            done(Status::failure(QStringLiteral("同步服务器返回的数据过大（超过%1 MB），已停止。")
                                     .arg(m_maxAnswerSize / (1024 * 1024))));
            return;
        }
        if (const QVariant refused = reply->property(refusedRedirect); refused.isValid()) {
            done(Status::failure(
                QStringLiteral("同步服务器要求转到另一个地址“%1”，为保护密码已拒绝。")
                    .arg(refused.toUrl().toDisplayString())));
            return;
        }
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!status.isValid()) {
            done(noAnswer(*reply, m_timeout));
            return;
        }
        DavReply answer;
        answer.status = status.toInt();
        answer.body = reply->readAll();
        answer.etag = reply->rawHeader("ETag");
        answer.url = reply->url();
        // A connection lost or timed out half-way through the body.
        if (reply->error() != QNetworkReply::NoError
            && reply->error() <= QNetworkReply::UnknownNetworkError)
            done(noAnswer(*reply, m_timeout));
        else
            done(answer);
    });
}

Status DavClient::mayReach(const QUrl &url) const
{
    return checkGivenAddress(url, m_origin);
}

void DavClient::abortAll()
{
    const auto replies = m_network.findChildren<QNetworkReply *>();
    for (QNetworkReply *reply : replies) {
        disconnect(reply, nullptr, this, nullptr);
        reply->abort();
        reply->deleteLater();
    }
}

Status DavClient::unexpected(const DavReply &reply)
{
    switch (reply.status) {
    case 401:
        return refusedCredentials();
    case 403:
        return Status::failure(QStringLiteral("服务器不允许访问这个通讯录。"));
    case 404:
        return Status::failure(QStringLiteral("服务器上没有这个地址：") + reply.url.toString());
    default:
        break;
    }
    if (reply.status >= 500)
        return Status::failure(QStringLiteral("同步服务器出错（HTTP %1）。").arg(reply.status));
    return Status::failure(QStringLiteral("同步服务器拒绝了请求（HTTP %1）。").arg(reply.status));
}

Status DavClient::refusedCredentials()
{
    return Status::failure(QStringLiteral("服务器拒绝了用户名或密码。"));
}
