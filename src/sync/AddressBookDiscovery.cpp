#include "AddressBookDiscovery.h"

#include <QTimer>

struct AddressBookDiscovery::Run
{
};

AddressBookDiscovery::AddressBookDiscovery(QObject *parent)
    : QObject(parent)
    , m_timeout(std::chrono::seconds(30))
{ }

AddressBookDiscovery::~AddressBookDiscovery() = default;

void AddressBookDiscovery::setTimeout(std::chrono::milliseconds perRequest)
{
    m_timeout = perRequest;
}

void AddressBookDiscovery::discover(const QUrl &, const QString &, const QString &)
{
    QTimer::singleShot(0, this,
                       [this] { finish(Status::failure(QStringLiteral("无法连接同步服务器。"))); });
}

void AddressBookDiscovery::cancel() { }

void AddressBookDiscovery::step() { }

void AddressBookDiscovery::finish(const Result<QList<AddressBookInfo>> &books)
{
    emit finished(books);
}
