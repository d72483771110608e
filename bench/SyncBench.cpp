#include "SyncBench.h"

#include "BenchReport.h"
#include "RadicaleServer.h"
#include "data/Database.h"
#include "data/SampleData.h"
#include "sync/CardDavSync.h"

#include <QDir>
#include <cstdio>

namespace {

constexpr int syncedContacts = 1000;

bool failed(const QString &message)
{
    std::fprintf(stderr, "%s\n", qUtf8Printable(message));
    return false;
}

} // namespace

namespace SyncBench {

bool run(const QString &folder)
{
    RadicaleServer server;
    if (!server.problem().isEmpty()) {
        std::printf("carddav: skipped (%s)\n", qUtf8Printable(server.problem()));
        return true;
    }
    const QString file = QDir(folder).filePath(QStringLiteral("sync.cot"));
    SampleData::Options options;
    options.contacts = syncedContacts;
    if (Status written = SampleData::write(file, options); !written)
        return failed(written.message());
    auto database = Database::open(file);
    if (!database)
        return failed(database.message());
    const SyncAccount account { server.root(), RadicaleServer::user(),
                                server.makeAddressBook(QStringLiteral("bench")) };

    QElapsedTimer timer;
    timer.start();
    const auto first = CardDavSync(*database.value()).run(account, RadicaleServer::password());
    if (!first || first.value().uploaded != syncedContacts)
        return failed(QStringLiteral("carddav first sync: ") + first.message());
    BenchReport::milliseconds(QStringLiteral("carddav_first_sync_1000_ms"), timer);

    timer.restart();
    const auto nothing = CardDavSync(*database.value()).run(account, RadicaleServer::password());
    if (!nothing)
        return failed(QStringLiteral("carddav no-op sync: ") + nothing.message());
    BenchReport::milliseconds(QStringLiteral("carddav_noop_sync_ms"), timer);
    BenchReport::figure(QStringLiteral("carddav_noop_sync_requests"), nothing.value().requests);
    return true;
}

} // namespace SyncBench
