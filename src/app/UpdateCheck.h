#pragma once

#include "UpdateFetcher.h"
#include "UpdateSite.h"

#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>

// One update check: fetches the update information, reads it against the program's version and
// remembers the download address for the download link.
class UpdateCheck : public QObject
{
    Q_OBJECT

public:
    explicit UpdateCheck(QObject *parent = nullptr);

    void setTimeout(std::chrono::milliseconds timeout) { m_fetcher.setTimeout(timeout); }
    // resultReady follows, also when the fetch fails.
    void start(const QUrl &address = UpdateSite::updateAddress());

    const QString &downloadAddress() const { return m_downloadAddress; }
    QUrl downloadTarget() const { return UpdateSite::downloadTarget(m_downloadAddress); }

signals:
    // The text for the user: up to date, a newer version, or the failure text.
    void resultReady(const QString &text);

private:
    void readFetched(const Result<QString> &text);

    UpdateFetcher m_fetcher;
    QString m_downloadAddress;
};
