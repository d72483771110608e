#include "CardDavSync.h"

#include <QTimer>

class CardDavSync::Run
{
};

CardDavSync::CardDavSync(Database &database, QObject *parent)
    : QObject(parent)
    , m_database(database)
    , m_timeout(std::chrono::seconds(30))
{ }

CardDavSync::~CardDavSync() = default;

void CardDavSync::setTimeout(std::chrono::milliseconds perRequest)
{
    m_timeout = perRequest;
}

void CardDavSync::start(const SyncAccount &, const QString &)
{
    QTimer::singleShot(0, this,
                       [this] { finish(Status::failure(QStringLiteral("无法连接同步服务器。"))); });
}

void CardDavSync::cancel() { }

void CardDavSync::finish(const Result<SyncReport> &report)
{
    emit finished(report);
}
