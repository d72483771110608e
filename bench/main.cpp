// Headless benchmarks on a generated data file. Prints "name: value" lines (milliseconds, MB).
#include "BenchEnvironment.h"
#include "BenchReport.h"
#include "ContactListBench.h"
#include "CsvBench.h"
#include "DuplicatesBench.h"
#include "ImportBench.h"
#include "InterchangeBench.h"
#include "PinyinBench.h"
#include "ScanBench.h"
#include "SearchBench.h"
#include "StartupBench.h"
#include "SyncBench.h"
#include "data/Database.h"
#include "data/SampleData.h"

#include <QApplication>
#include <QCommandLineParser>
#include <algorithm>
#include <ctime>

namespace {

int readEveryContactRow(Database &database)
{
    int rows = 0;
    qsizetype characters = 0;
    const int columns = 21;
    database.select(QStringLiteral("SELECT * FROM Contacts ORDER BY FirstName"), {},
                    [&](const QSqlQuery &row) {
                        for (int i = 0; i < columns; ++i)
                            characters += row.value(i).toString().size();
                        ++rows;
                    });
    return characters > 0 ? rows : 0;
}

struct Baseline
{
    int rows = 0;
    double readAllMs = 0;
};

// Opening the file and reading every contact row once: the yardstick other figures compare with.
Baseline measureOpenAndRead(const QString &file)
{
    QElapsedTimer timer;
    timer.start();
    auto opened = Database::open(file);
    if (!opened) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(opened.message()));
        return {};
    }
    BenchReport::milliseconds(QStringLiteral("open_ms"), timer);
    timer.restart();
    const std::clock_t processorStart = std::clock();
    Baseline baseline;
    baseline.rows = readEveryContactRow(*opened.value());
    baseline.readAllMs = double(timer.nsecsElapsed()) / 1e6;
    BenchReport::milliseconds(QStringLiteral("read_all_rows_ms"), timer);
    BenchReport::figure(QStringLiteral("read_all_rows_cpu_ms"),
                        double(std::clock() - processorStart) * 1000.0 / CLOCKS_PER_SEC);
    BenchReport::figure(QStringLiteral("rows_read"), baseline.rows);
    return baseline;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    QCommandLineOption contactsOption(QStringLiteral("contacts"),
                                      QStringLiteral("Contacts to generate."), QStringLiteral("N"),
                                      QStringLiteral("100000"));
    QCommandLineOption groupsOption(QStringLiteral("groups"),
                                    QStringLiteral("Relationship groups."), QStringLiteral("G"),
                                    QStringLiteral("30"));
    QCommandLineOption scanOnlyOption(QStringLiteral("scan-only"),
                                      QStringLiteral("Only the card scanning figures."));
    QCommandLineOption cardsOption(QStringLiteral("cards"),
                                   QStringLiteral("Scanned cards, photographed cards and cards "
                                                  "with a QR code to generate."),
                                   QStringLiteral("S,P,Q"), QStringLiteral("20,20,10"));
    QCommandLineOption interchangeOnlyOption(
        QStringLiteral("interchange-only"),
        QStringLiteral("Only the vCard and CSV import and export figures."));
    QCommandLineOption syncOnlyOption(
        QStringLiteral("sync-only"),
        QStringLiteral("Only the large CardDAV figures: 10,000 cards downloaded, 100,000 linked."));
    parser.addOptions({ contactsOption, groupsOption, scanOnlyOption, cardsOption,
                        interchangeOnlyOption, syncOnlyOption });
    parser.process(app);
    const QStringList cards = parser.value(cardsOption).split(u',');
    const auto scanFigures = [&cards] {
        return ScanBench::run(cards.value(0).toInt(), cards.value(1).toInt(),
                              cards.value(2).toInt());
    };
    if (parser.isSet(scanOnlyOption))
        return scanFigures() ? 0 : 1;
    if (parser.isSet(syncOnlyOption)) {
        BenchEnvironment environment;
        return SyncBench::run(environment.programFolder(), true) ? 0 : 1;
    }

    BenchEnvironment environment;
    const QString file = environment.path(QStringLiteral("bench.cot"));
    SampleData::Options options;
    options.contacts = parser.value(contactsOption).toInt();
    options.groups = parser.value(groupsOption).toInt();

    QElapsedTimer timer;
    timer.start();
    if (Status written = SampleData::write(file, options); !written) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(written.message()));
        return 1;
    }
    BenchReport::milliseconds(QStringLiteral("generate_ms"), timer);
    if (parser.isSet(interchangeOnlyOption))
        return InterchangeBench::run(file, environment.programFolder())
                && CsvBench::run(file, environment.programFolder())
            ? 0
            : 1;
    const Baseline baseline = measureOpenAndRead(file);

    // Before the contact list, whose name order would warm the pinyin reading table.
    bool keyed = false;
    if (auto opened = Database::open(file))
        keyed = PinyinBench::run(*opened.value());
    // The contact list next, so its peak memory is its own and not the search window's.
    ContactListBench::run(file);
    StartupBench::run(file);
    bool searched = false;
    if (auto opened = Database::open(file))
        searched
            = SearchBench::run(*opened.value(), baseline.readAllMs, environment.programFolder());
    const bool imported = ImportBench::run(file, environment.programFolder());
    const bool deduplicated = DuplicatesBench::run(file, environment.programFolder());
    // The interchange figures reset the kernel's high-water mark; the peak so far is kept.
    const double peakBefore = BenchReport::peakMemoryMb();
    const bool interchanged = InterchangeBench::run(file, environment.programFolder())
        && CsvBench::run(file, environment.programFolder());
    BenchReport::figure(QStringLiteral("peak_memory_mb"),
                        std::max(peakBefore, BenchReport::peakMemoryMb()));
    // Last: the server is a process of its own and leaves the memory figures alone.
    const bool synced = SyncBench::run(environment.programFolder(), false);
    const bool scanned = scanFigures();
    return baseline.rows == options.contacts && keyed && searched && imported && deduplicated
            && interchanged && synced && scanned
        ? 0
        : 1;
}
