#include "InterchangeBench.h"

#include "BenchReport.h"
#include "cards/CardProjection.h"
#include "cards/CardStore.h"
#include "cards/CardWriter.h"
#include "data/Database.h"
#include "data/SampleData.h"
#include "data/Transaction.h"
#include "data/WriteGate.h"
#include "interchange/CardExport.h"
#include "interchange/CardImport.h"
#include "interchange/ContactColumns.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

constexpr int importedCards = 10000;
constexpr qint64 largeFileBytes = 100 * 1024 * 1024;

bool failed(const QString &message)
{
    std::fprintf(stderr, "%s\n", qUtf8Printable(message));
    return false;
}

// 10,000 cards of people the large file does not hold yet.
Status writeCards(const QString &folder, const QString &cards)
{
    const QString source = QDir(folder).filePath(QStringLiteral("cards-source.cot"));
    SampleData::Options options;
    options.contacts = importedCards;
    options.seed = 20261207;
    if (Status written = SampleData::write(source, options); !written)
        return written;
    auto opened = Database::open(source);
    if (!opened)
        return opened.status();
    const auto renamed = opened.value()->execute(
        QStringLiteral("UPDATE Contacts SET FirstName = '名片' || FirstName, "
                       "LastName = LastName || CAST(ID AS TEXT)"));
    if (!renamed)
        return renamed.status();
    const auto exported
        = CardExport(*opened.value(), CardExport::Scope(), CardFormat::VCard30).writeFile(cards);
    return exported ? Status::success() : exported.status();
}

bool measureImport(Database &target, const QString &cards)
{
    BenchReport::resetPeakMemory();
    const double cpuStart = BenchReport::cpuMilliseconds();
    QElapsedTimer timer;
    timer.start();
    CardImport importer(target);
    const auto plan = importer.plan(CardFileReader::Source::file(cards));
    if (!plan)
        return failed(plan.message());
    const auto written = importer.write({ plan.value() }, CardImport::Choice::NewOnly);
    BenchReport::milliseconds(QStringLiteral("vcard_import_10k_ms"), timer);
    BenchReport::figure(QStringLiteral("vcard_import_10k_cpu_ms"),
                        BenchReport::cpuMilliseconds() - cpuStart);
    BenchReport::figure(QStringLiteral("vcard_import_10k_target_ms"), 1000);
    BenchReport::figure(QStringLiteral("vcard_import_10k_peak_memory_mb"),
                        BenchReport::phasePeakMemoryMb());
    if (!written)
        return failed(written.message());
    BenchReport::figure(QStringLiteral("vcard_import_10k_contacts_written"), written.value());
    return written.value() == importedCards;
}

bool measureExport(Database &database, const QString &path, int expected)
{
    BenchReport::resetPeakMemory();
    const double cpuStart = BenchReport::cpuMilliseconds();
    QElapsedTimer timer;
    timer.start();
    const auto written
        = CardExport(database, CardExport::Scope(), CardFormat::VCard30).writeFile(path);
    BenchReport::milliseconds(QStringLiteral("vcard_export_all_ms"), timer);
    BenchReport::figure(QStringLiteral("vcard_export_all_cpu_ms"),
                        BenchReport::cpuMilliseconds() - cpuStart);
    BenchReport::figure(QStringLiteral("vcard_export_all_target_ms"), 1000);
    BenchReport::figure(QStringLiteral("vcard_export_all_peak_memory_mb"),
                        BenchReport::phasePeakMemoryMb());
    if (!written)
        return failed(written.message());
    BenchReport::figure(QStringLiteral("vcard_export_all_contacts"), written.value());
    return written.value() == expected;
}

// A phone's card beside its row: a second e-mail address, a labelled web address, a nickname,
// a birthday and a small photo.
Card phoneCard(const ContactRecord &row, const QByteArray &photo)
{
    Card card = CardProjection::fromRow(row);
    const auto add = [&card](const char *group, const char *name, const QString &value) {
        CardProperty property { QString::fromLatin1(group), QString::fromLatin1(name), {}, {} };
        property.setText(value);
        card.properties << property;
    };
    add("item1", "URL", QStringLiteral("https://example.cn/%1").arg(row.id));
    add("item1", "X-ABLABEL", QStringLiteral("学校"));
    add("", "NICKNAME", QStringLiteral("小%1").arg(row.id));
    add("", "EMAIL", QStringLiteral("second%1@example.cn").arg(row.id));
    add("", "BDAY", QStringLiteral("1980-01-02"));
    card.properties.append(
        { {}, QStringLiteral("PHOTO"), {}, QStringLiteral("data:image/jpeg;base64,") + photo });
    return card;
}

// Every contact of the file gets a kept card, as after a sync with a phone.
Status keepPhoneCards(Database &database)
{
    QList<QPair<qint64, QByteArray>> cards;
    const QByteArray photo = QByteArray(600, 'x').toBase64();
    const Status read = database.selectText(
        QStringLiteral("SELECT ID, %1 FROM Contacts").arg(ContactColumns::list()), {},
        [&](const TextRow &row) {
            ContactRecord contact = ContactColumns::fromText(row, 1);
            contact.id = row.integer(0);
            cards.append({ contact.id, CardWriter::keep(phoneCard(contact, photo)) });
        });
    if (!read)
        return read;
    Transaction transaction(database);
    if (Status begun = transaction.begin(); !begun)
        return begun;
    if (Status kept = CardStore(database).keepAll(cards); !kept)
        return kept;
    return transaction.commit();
}

// About 100 MB of phone cards, written a card at a time.
Status writeLargeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return Status::failure(file.errorString());
    const QByteArray photo = QByteArray(1200, 'x').toBase64();
    QByteArray chunk;
    for (qint64 id = 1; file.size() + chunk.size() < largeFileBytes; ++id) {
        ContactRecord row;
        row.id = id;
        row.firstName = QStringLiteral("大");
        row.lastName = QStringLiteral("文件%1").arg(id);
        row.companyName = QStringLiteral("测试公司");
        row.numbers[0] = QStringLiteral("138%1").arg(id, 8, 10, QLatin1Char('0'));
        row.labels[0] = QStringLiteral("手机");
        row.email = QStringLiteral("big%1@example.cn").arg(id);
        CardWriter::append(chunk, phoneCard(row, photo), CardVersion::V30);
        if (chunk.size() > 1024 * 1024) {
            file.write(chunk);
            chunk.clear();
        }
    }
    return file.write(chunk) == chunk.size() ? Status::success()
                                             : Status::failure(file.errorString());
}

bool measureLargeImport(const QString &dataFile, const QString &folder)
{
    const QString target = QDir(folder).filePath(QStringLiteral("cards-large.cot"));
    const QString cards = QDir(folder).filePath(QStringLiteral("large.vcf"));
    QFile::remove(target);
    if (!QFile::copy(dataFile, target))
        return failed(QStringLiteral("cannot copy the data file"));
    if (Status written = writeLargeFile(cards); !written)
        return failed(written.message());
    auto opened = Database::open(target);
    if (!opened)
        return failed(opened.message());
    BenchReport::resetPeakMemory();
    const double before = BenchReport::phasePeakMemoryMb();
    QElapsedTimer timer;
    timer.start();
    CardImport importer(*opened.value());
    const auto plan = importer.plan(CardFileReader::Source::file(cards));
    if (!plan)
        return failed(plan.message());
    const auto written = importer.write({ plan.value() }, CardImport::Choice::All);
    BenchReport::milliseconds(QStringLiteral("vcard_import_large_ms"), timer);
    BenchReport::figure(QStringLiteral("vcard_import_large_file_mb"),
                        double(QFileInfo(cards).size()) / (1024.0 * 1024.0));
    BenchReport::figure(QStringLiteral("vcard_import_large_peak_mb"),
                        BenchReport::phasePeakMemoryMb());
    BenchReport::figure(QStringLiteral("vcard_import_large_peak_target_mb"), 250);
    BenchReport::figure(QStringLiteral("vcard_import_large_baseline_mb"), before);
    QFile::remove(cards);
    if (!written)
        return failed(written.message());
    BenchReport::figure(QStringLiteral("vcard_import_large_contacts"), written.value());
    return true;
}

} // namespace

namespace InterchangeBench {

bool run(const QString &dataFile, const QString &folder)
{
    const QString target = QDir(folder).filePath(QStringLiteral("cards-target.cot"));
    const QString cards = QDir(folder).filePath(QStringLiteral("cards.vcf"));
    if (!QFile::copy(dataFile, target))
        return failed(QStringLiteral("cannot copy the data file"));
    if (Status written = writeCards(folder, cards); !written)
        return failed(written.message());
    auto opened = Database::open(dataFile);
    auto copy = Database::open(target);
    if (!opened || !copy)
        return failed(opened ? copy.message() : opened.message());
    // The program checks a large file while its windows first show, long before an import.
    if (Status checked = copy.value()->gate().awaitWritable(); !checked)
        return failed(checked.message());
    const auto contacts = opened.value()->scalar(
        QStringLiteral("SELECT COUNT(*) FROM Contacts WHERE FirstName NOT IN ('模板', '姓')"));
    if (!contacts)
        return failed(contacts.message());
    if (Status kept = keepPhoneCards(*copy.value()); !kept)
        return failed(kept.message());
    const bool exported = measureExport(
        *copy.value(), QDir(folder).filePath(QStringLiteral("all.vcf")), contacts.value().toInt());
    const bool imported = measureImport(*copy.value(), cards);
    copy.value().reset();
    return imported && exported && measureLargeImport(dataFile, folder);
}

} // namespace InterchangeBench
