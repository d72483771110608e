// Headless benchmarks on a generated data file. Prints "name: value" lines (milliseconds, MB).
#include "BenchReport.h"
#include "SearchBench.h"
#include "data/Database.h"
#include "data/SampleData.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTemporaryDir>

namespace {

int readEveryContactRow(Database &database)
{
    int rows = 0;
    qsizetype characters = 0;
    const int columns = 21;
    database.select(QStringLiteral("SELECT * FROM Contacts ORDER BY FirstName"), {}, [&](const QSqlQuery &row) {
        for (int i = 0; i < columns; ++i)
            characters += row.value(i).toString().size();
        ++rows;
    });
    return characters > 0 ? rows : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    QCommandLineOption contactsOption(QStringLiteral("contacts"), QStringLiteral("Contacts to generate."),
                                      QStringLiteral("N"), QStringLiteral("100000"));
    QCommandLineOption groupsOption(QStringLiteral("groups"), QStringLiteral("Relationship groups."),
                                    QStringLiteral("G"), QStringLiteral("30"));
    parser.addOptions({ contactsOption, groupsOption });
    parser.process(app);

    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("bench.cot"));
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

    timer.restart();
    auto opened = Database::open(file);
    if (!opened) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(opened.message()));
        return 1;
    }
    BenchReport::milliseconds(QStringLiteral("open_ms"), timer);

    timer.restart();
    const int rows = readEveryContactRow(*opened.value());
    const double readAllMs = double(timer.nsecsElapsed()) / 1e6;
    BenchReport::milliseconds(QStringLiteral("read_all_rows_ms"), timer);
    BenchReport::figure(QStringLiteral("rows_read"), rows);
    const bool searched = SearchBench::run(*opened.value(), readAllMs, folder.path());
    BenchReport::figure(QStringLiteral("peak_memory_mb"), BenchReport::peakMemoryMb());
    return rows == options.contacts && searched ? 0 : 1;
}
