#include "UpdateFetcher.h"

#include "UpdateInfo.h"
#include "UpdateSite.h"

#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

constexpr int maxRedirects = 5;

Status tooLarge()
{
    return Status::failure(QStringLiteral("The answer is too large to be update information."));
}

} // namespace

UpdateFetcher::UpdateFetcher(QObject *parent)
    : QObject(parent)
{
    m_deadline.setSingleShot(true);
    // A coarse timer may fire a little before the time-out.
    m_deadline.setTimerType(Qt::PreciseTimer);
    connect(&m_deadline, &QTimer::timeout, this, [this] {
        finish(Status::failure(QStringLiteral("The server did not answer in time.")));
    });
}

UpdateFetcher::~UpdateFetcher()
{
    abandon();
}

void UpdateFetcher::fetch(const QUrl &address)
{
    abandon();
    const int fetchNumber = ++m_fetchNumber;
    if (!UpdateSite::isWebAddress(address)) {
        QMetaObject::invokeMethod(
            this,
            [this, fetchNumber] {
                if (fetchNumber == m_fetchNumber)
                    finish(Status::failure(QStringLiteral("Not a web address.")));
            },
            Qt::QueuedConnection);
        return;
    }
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(maxRedirects);
    m_reply = m_network.get(request);
    connect(m_reply, &QNetworkReply::redirected, this, &UpdateFetcher::followOrRefuse);
    connect(m_reply, &QNetworkReply::metaDataChanged, this, &UpdateFetcher::checkAnnouncedSize);
    connect(m_reply, &QNetworkReply::readyRead, this, &UpdateFetcher::collect);
    connect(m_reply, &QNetworkReply::finished, this, &UpdateFetcher::complete);
    m_deadline.start(m_timeout);
}

void UpdateFetcher::followOrRefuse(const QUrl &target)
{
    if (UpdateSite::isWebAddress(m_reply->url().resolved(target)))
        emit m_reply->redirectAllowed();
    else
        finish(Status::failure(QStringLiteral("Redirected away from the web.")));
}

void UpdateFetcher::checkAnnouncedSize()
{
    const QVariant length = m_reply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid() && length.toLongLong() > maxBodySize)
        finish(tooLarge());
}

void UpdateFetcher::collect()
{
    m_body += m_reply->read(maxBodySize + 1 - m_body.size());
    if (m_body.size() > maxBodySize)
        finish(tooLarge());
}

void UpdateFetcher::complete()
{
    if (m_reply->error() != QNetworkReply::NoError) {
        finish(Status::failure(m_reply->errorString()));
        return;
    }
    collect();
    if (m_reply)
        finish(UpdateInfo::decode(m_body, m_reply->rawHeader("Content-Type")));
}

void UpdateFetcher::finish(const Result<QString> &result)
{
    abandon();
    emit finished(result);
}

void UpdateFetcher::abandon()
{
    m_deadline.stop();
    m_body.clear();
    if (m_reply) {
        m_reply->disconnect(this);
        m_reply->abort();
        m_reply->deleteLater();
        m_reply = nullptr;
    }
}
