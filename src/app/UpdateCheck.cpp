#include "UpdateCheck.h"

#include "UpdateInfo.h"

UpdateCheck::UpdateCheck(QObject *parent)
    : QObject(parent)
{
    connect(&m_fetcher, &UpdateFetcher::finished, this, &UpdateCheck::readFetched);
}

void UpdateCheck::start(const QUrl &address)
{
    m_fetcher.fetch(address);
}

void UpdateCheck::readFetched(const Result<QString> &text)
{
    if (!text) {
        emit resultReady(UpdateInfo::failureText());
        return;
    }
    const UpdateReading reading = UpdateInfo::read(text.value(), m_downloadAddress);
    m_downloadAddress = reading.downloadAddress;
    emit resultReady(reading.message);
}
