#include "SyncBench.h"

#include "BenchReport.h"
#include "RadicaleServer.h"
#include "data/DataFileFactory.h"
#include "data/Database.h"
#include "data/SampleData.h"
#include "data/Transaction.h"
#include "sync/CardDavSync.h"
#include "sync/DavBodies.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

constexpr int syncedContacts = 1000;
constexpr int downloadedCards = 10000;
constexpr int linkedCards = 100000;

bool failed(const QString &message)
{
    std::fprintf(stderr, "%s\n", qUtf8Printable(message));
    return false;
}

// A phone's card: two numbers, an e-mail address, a company and a title.
QByteArray generatedCard(int i)
{
    const QByteArray n = QByteArray::number(i);
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bench-" + n + "\r\nN:姓" + n + ";名;;;\r\nFN:姓" + n
        + "名\r\nORG:公司" + n + "\r\nTITLE:经理\r\nTEL;TYPE=CELL:138" + n + "\r\nTEL;TYPE=WORK:010"
        + n + "\r\nEMAIL:p" + n + "@example.cn\r\nEND:VCARD\r\n";
}

// Cards written straight into the server's storage: much faster than uploading them one by one.
bool fillAddressBook(RadicaleServer &server, const QString &name, int cards, QUrl &book)
{
    book = server.makeAddressBook(name);
    if (book.isEmpty())
        return failed(QStringLiteral("carddav: no address book ") + name);
    const QDir folder(server.storageFolder(name));
    for (int i = 1; i <= cards; ++i) {
        QFile file(folder.filePath(QStringLiteral("bench-%1.vcf").arg(i)));
        if (!file.open(QIODevice::WriteOnly) || file.write(generatedCard(i)) < 0)
            return failed(QStringLiteral("carddav: cannot write ") + file.fileName());
    }
    return true;
}

Result<SyncReport> syncInto(Database &database, const SyncAccount &account)
{
    CardDavSync sync(database);
    sync.setTimeout(std::chrono::minutes(10));
    return sync.run(account, RadicaleServer::password());
}

// The first sync of an empty data file with a filled address book: every card downloaded.
bool measureFirstDownload(Database &database, const SyncAccount &account)
{
    const double cpuStart = BenchReport::cpuMilliseconds();
    QElapsedTimer timer;
    timer.start();
    const auto down = syncInto(database, account);
    BenchReport::milliseconds(QStringLiteral("carddav_first_download_10k_ms"), timer);
    BenchReport::figure(QStringLiteral("carddav_first_download_10k_cpu_ms"),
                        BenchReport::cpuMilliseconds() - cpuStart);
    if (!down || down.value().downloaded != downloadedCards)
        return failed(QStringLiteral("carddav first download: ") + down.message());
    return true;
}

// Radicale takes minutes to read 10,000 new cards for the first time, so the other 90,000 links
// are written into the file as a finished sync leaves them; the sync with nothing to do does not
// look at them either way.
Status linkMore(Database &database, const QString &book)
{
    Transaction transaction(database);
    Status status = transaction.begin();
    const QStringList statements {
        QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
                       "i < %1) INSERT INTO Contacts (FirstName, LastName, Type, Data1, Email) "
                       "SELECT '链' || i, '名', '朋友', '138' || i, 'l' || i || '@example.cn' "
                       "FROM n")
            .arg(linkedCards - downloadedCards),
        QStringLiteral("INSERT INTO CardDavCards (ContactID, Href, ETag, UID, Card) SELECT ID, "
                       "'%1linked-' || ID || '.vcf', '\"1\"', 'linked-' || ID, 'BEGIN:VCARD' || "
                       "char(13, 10) || 'VERSION:3.0' || char(13, 10) || 'UID:linked-' || ID || "
                       "char(13, 10) || 'N:链' || ID || ';名;;;' || char(13, 10) || 'FN:链' || "
                       "ID || '名' || char(13, 10) || 'TEL:138' || ID || char(13, 10) || "
                       "'EMAIL:l' || ID || '@example.cn' || char(13, 10) || 'END:VCARD' || "
                       "char(13, 10) FROM Contacts WHERE FirstName LIKE '链%'")
            .arg(book),
        QStringLiteral("UPDATE CardDavChecked SET Change = (SELECT MAX(Change) FROM "
                       "ContactChanges)"),
    };
    for (const QString &statement : statements) {
        if (status)
            status = database.execute(statement).status();
    }
    return status ? transaction.commit() : status;
}

// 100,000 linked contacts, then a sync with nothing to do; the server's own answer to the same
// question is timed apart.
bool measureNoOpSync(RadicaleServer &server, Database &database, const SyncAccount &account)
{
    if (Status linked = linkMore(database, account.addressBook.path()); !linked)
        return failed(QStringLiteral("carddav links: ") + linked.message());
    BenchReport::resetPeakMemory();
    const double cpuStart = BenchReport::cpuMilliseconds();
    QElapsedTimer timer;
    timer.start();
    const auto nothing = syncInto(database, account);
    BenchReport::milliseconds(QStringLiteral("carddav_noop_sync_100k_ms"), timer);
    BenchReport::figure(QStringLiteral("carddav_noop_sync_100k_cpu_ms"),
                        BenchReport::cpuMilliseconds() - cpuStart);
    BenchReport::figure(QStringLiteral("carddav_noop_sync_100k_peak_mb"),
                        BenchReport::phasePeakMemoryMb());
    if (!nothing)
        return failed(QStringLiteral("carddav no-op sync of 100k: ") + nothing.message());
    BenchReport::figure(QStringLiteral("carddav_noop_sync_100k_compared"),
                        nothing.value().compared);
    const auto token = database.scalar(QStringLiteral("SELECT SyncToken FROM CardDavState"));
    timer.restart();
    const int status
        = server.request("REPORT", account.addressBook,
                         DavBodies::syncCollection(token ? token.value().toString() : QString()));
    BenchReport::milliseconds(QStringLiteral("carddav_noop_sync_100k_server_ms"), timer);
    return status == 207 && nothing.value().uploaded + nothing.value().downloaded == 0;
}

bool measureLarge(RadicaleServer &server, const QString &folder)
{
    QUrl book;
    if (!fillAddressBook(server, QStringLiteral("download"), downloadedCards, book))
        return false;
    const QString file = QDir(folder).filePath(QStringLiteral("download.cot"));
    if (Status made = DataFileFactory::createDataFile(file); !made)
        return failed(made.message());
    auto database = Database::open(file);
    if (!database)
        return failed(database.message());
    const SyncAccount account { server.root(), RadicaleServer::user(), book };
    return measureFirstDownload(*database.value(), account)
        && measureNoOpSync(server, *database.value(), account);
}

} // namespace

namespace SyncBench {

bool run(const QString &folder, bool large)
{
    RadicaleServer server;
    if (!server.problem().isEmpty()) {
        std::printf("carddav: skipped (%s)\n", qUtf8Printable(server.problem()));
        return true;
    }
    if (large)
        return measureLarge(server, folder);
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
