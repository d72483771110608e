#pragma once

#include "shared/Status.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <chrono>

class QNetworkReply;

// Fetches the update information by HTTP GET without blocking. Gives up after a time-out, refuses
// a body too large to be update information and follows redirects only to web addresses, so a
// bad network or a hostile server can neither hang the window nor point it at a local file.
class UpdateFetcher : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds defaultTimeout { 15000 };
    static constexpr qint64 maxBodySize = 64 * 1024;

    explicit UpdateFetcher(QObject *parent = nullptr);
    ~UpdateFetcher() override;

    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

    // Starts a fetch; one still running is abandoned. finished follows exactly once, never
    // from inside this call.
    void fetch(const QUrl &address);

signals:
    // The document's text, or why there is none.
    void finished(const Result<QString> &text);

private:
    void followOrRefuse(const QUrl &target);
    void checkAnnouncedSize();
    void collect();
    void complete();
    void finish(const Result<QString> &result);
    void abandon();

    QNetworkAccessManager m_network;
    QPointer<QNetworkReply> m_reply;
    QByteArray m_body;
    QTimer m_deadline;
    std::chrono::milliseconds m_timeout = defaultTimeout;
    int m_fetchNumber = 0;
};
