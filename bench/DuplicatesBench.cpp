#include "DuplicatesBench.h"

#include "BenchReport.h"
#include "data/Database.h"
#include "duplicates/DuplicateFinder.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>
#include <ctime>

namespace {

bool failed(const QString &message)
{
    std::fprintf(stderr, "%s\n", qUtf8Printable(message));
    return false;
}

// Every hundredth contact again, its mobile written with the country code and its e-mail
// address in capitals, as a phone's export would give it.
Result<int> plantDuplicates(Database &database)
{
    return database.execute(QStringLiteral(
        "INSERT INTO Contacts (FirstName, LastName, Title, Type, CompanyName, Address1, Address2, "
        "Address3, Postcode, Data1, Data2, Data3, Data4, Combo1, Combo2, Combo3, Combo4, Email, "
        "Website, Notes) "
        "SELECT FirstName, LastName, Title, Type, CompanyName, Address1, Address2, Address3, "
        "Postcode, Data1, '+86 ' || Data2, Data3, Data4, Combo1, Combo2, Combo3, Combo4, "
        "UPPER(Email), Website, Notes FROM Contacts WHERE ID % 100 = 0"));
}

} // namespace

namespace DuplicatesBench {

bool run(const QString &dataFile, const QString &folder)
{
    const QString copy = QDir(folder).filePath(QStringLiteral("duplicates.cot"));
    if (!QFile::copy(dataFile, copy))
        return failed(QStringLiteral("cannot copy the data file"));
    auto opened = Database::open(copy);
    if (!opened)
        return failed(opened.message());
    const auto lastOriginal
        = opened.value()->scalar(QStringLiteral("SELECT MAX(ID) FROM Contacts"));
    const auto planted = plantDuplicates(*opened.value());
    if (!lastOriginal || !planted)
        return failed(!planted ? planted.message() : lastOriginal.message());

    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    const auto found = DuplicateFinder::find(*opened.value());
    BenchReport::milliseconds(QStringLiteral("duplicates_find_ms"), timer);
    // The processor time spent, which a busy machine does not inflate as it does the wall time.
    BenchReport::figure(QStringLiteral("duplicates_find_cpu_ms"),
                        double(std::clock() - cpuStart) * 1000.0 / CLOCKS_PER_SEC);
    BenchReport::figure(QStringLiteral("duplicates_find_target_ms"), 1000);
    if (!found)
        return failed(found.message());
    int veryLikely = 0;
    int plantedFound = 0;
    for (const DuplicateSet &set : found.value().sets) {
        if (set.level != DuplicateLevel::VeryLikely)
            continue;
        ++veryLikely;
        for (qint64 id : set.ids)
            plantedFound += id > lastOriginal.value().toLongLong() ? 1 : 0;
    }
    BenchReport::figure(QStringLiteral("duplicates_planted"), planted.value());
    BenchReport::figure(QStringLiteral("duplicates_planted_found"), plantedFound);
    BenchReport::figure(QStringLiteral("duplicates_very_likely_sets"), veryLikely);
    BenchReport::figure(QStringLiteral("duplicates_sets"), double(found.value().sets.size()));
    return plantedFound == planted.value();
}

} // namespace DuplicatesBench
