#include "InterchangeBench.h"

#include "BenchReport.h"
#include "data/Database.h"
#include "data/SampleData.h"
#include "data/WriteGate.h"
#include "interchange/CardExport.h"
#include "interchange/CardImport.h"

#include <QDir>
#include <QFile>
#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int importedCards = 10000;

bool failed(const QString &message)
{
    std::fprintf(stderr, "%s\n", qUtf8Printable(message));
    return false;
}

// The kernel's high-water mark of resident memory, reset so a phase measures only itself.
void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double phasePeakMemoryMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return BenchReport::peakMemoryMb();
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return BenchReport::peakMemoryMb();
}

// Processor time of this process: on a machine shared with other work it shows what the wall
// clock hides.
double cpuMilliseconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
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
    resetPeakMemory();
    const double cpuStart = cpuMilliseconds();
    QElapsedTimer timer;
    timer.start();
    const auto contents = CardFileReader::readFile(cards);
    if (!contents)
        return failed(contents.message());
    CardImport import(target);
    const auto plan = import.plan(contents.value());
    if (!plan)
        return failed(plan.message());
    const auto written = import.write(plan.value().chosen(CardImport::Choice::NewOnly));
    BenchReport::milliseconds(QStringLiteral("vcard_import_10k_ms"), timer);
    BenchReport::figure(QStringLiteral("vcard_import_10k_cpu_ms"), cpuMilliseconds() - cpuStart);
    BenchReport::figure(QStringLiteral("vcard_import_10k_target_ms"), 1000);
    BenchReport::figure(QStringLiteral("vcard_import_10k_peak_memory_mb"), phasePeakMemoryMb());
    if (!written)
        return failed(written.message());
    BenchReport::figure(QStringLiteral("vcard_import_10k_contacts_written"), written.value());
    return written.value() == importedCards;
}

bool measureExport(Database &database, const QString &path, int expected)
{
    resetPeakMemory();
    const double cpuStart = cpuMilliseconds();
    QElapsedTimer timer;
    timer.start();
    const auto written
        = CardExport(database, CardExport::Scope(), CardFormat::VCard30).writeFile(path);
    BenchReport::milliseconds(QStringLiteral("vcard_export_all_ms"), timer);
    BenchReport::figure(QStringLiteral("vcard_export_all_cpu_ms"), cpuMilliseconds() - cpuStart);
    BenchReport::figure(QStringLiteral("vcard_export_all_target_ms"), 1000);
    BenchReport::figure(QStringLiteral("vcard_export_all_peak_memory_mb"), phasePeakMemoryMb());
    if (!written)
        return failed(written.message());
    BenchReport::figure(QStringLiteral("vcard_export_all_contacts"), written.value());
    return written.value() == expected;
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
    const bool exported
        = measureExport(*opened.value(), QDir(folder).filePath(QStringLiteral("all.vcf")),
                        contacts.value().toInt());
    return measureImport(*copy.value(), cards) && exported;
}

} // namespace InterchangeBench
