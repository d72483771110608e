#include "CsvBench.h"

#include "BenchReport.h"
#include "data/Database.h"
#include "interchange/CardImport.h"

#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

constexpr qint64 fileBytes = 100 * 1024 * 1024;

bool failed(const QString &message)
{
    std::fprintf(stderr, "%s\n", qUtf8Printable(message));
    return false;
}

double statusMb(const QByteArray &key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return BenchReport::peakMemoryMb();
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return BenchReport::peakMemoryMb();
}

// Outlook's columns, most of them empty in every row, as real exports are.
QByteArray header()
{
    return "\"Title\",\"First Name\",\"Middle Name\",\"Last Name\",\"Suffix\",\"Company\","
           "\"Department\",\"Job Title\",\"Business Street\",\"Business City\",\"Business State\","
           "\"Business Postal Code\",\"Business Country/Region\",\"Home Street\",\"Home City\","
           "\"Home Postal Code\",\"Business Fax\",\"Business Phone\",\"Home Phone\","
           "\"Mobile Phone\",\"Birthday\",\"Categories\",\"E-mail Address\",\"E-mail 2 Address\","
           "\"Nickname\",\"Notes\",\"Web Page\"\r\n";
}

QByteArray row(int i)
{
    const QByteArray n = QByteArray::number(i);
    return "\"\",\"" + n + "名\",\"\",\"测试\",\"\",\"华信科技有限公司\",\"\",\"经理\",\"中关村大街"
        + n + "号\",\"北京\",\"北京市\",\"100080\",\"中国\",\"\",\"\",\"\",\"\",\"010-6" + n
        + "\",\"\",\"138" + n + "\",\"1980-1-1\",\"客户\",\"user" + n
        + "@example.cn\",\"\",\"\",\"第一次见面在展会上，约好下个月再联系\",\"\"\r\n";
}

bool writeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray piece = header();
    for (int i = 0; file.size() + piece.size() < fileBytes; ++i) {
        piece += row(i);
        if (piece.size() > (1 << 20)) {
            file.write(piece);
            piece.clear();
        }
    }
    return file.write(piece) == piece.size() && file.flush();
}

} // namespace

namespace CsvBench {

bool run(const QString &dataFile, const QString &folder)
{
    const QString path = QDir(folder).filePath(QStringLiteral("large.csv"));
    const QString target = QDir(folder).filePath(QStringLiteral("csv-large.cot"));
    QFile::remove(target);
    if (!QFile::copy(dataFile, target))
        return failed(QStringLiteral("cannot copy the data file"));
    if (!writeFile(path))
        return failed(QStringLiteral("cannot write the CSV file"));
    auto opened = Database::open(target);
    if (!opened)
        return failed(opened.message());
    const double before = statusMb("VmRSS:");
    BenchReport::resetPeakMemory();
    QElapsedTimer timer;
    timer.start();
    CardImport importer(*opened.value());
    const auto plan = importer.plan(CardFileReader::Source::file(path));
    if (!plan)
        return failed(plan.message());
    BenchReport::milliseconds(QStringLiteral("csv_import_large_read_ms"), timer);
    const auto written = importer.write({ plan.value() }, CardImport::Choice::All);
    BenchReport::milliseconds(QStringLiteral("csv_import_large_ms"), timer);
    BenchReport::figure(QStringLiteral("csv_import_large_file_mb"),
                        double(QFile(path).size()) / (1024.0 * 1024.0));
    BenchReport::figure(QStringLiteral("csv_import_large_contacts"),
                        double(plan.value().kinds.size()));
    BenchReport::figure(QStringLiteral("csv_import_large_peak_mb"), statusMb("VmHWM:") - before);
    QFile::remove(path);
    if (!written)
        return failed(written.message());
    BenchReport::figure(QStringLiteral("csv_import_large_contacts_written"), written.value());
    return plan.value().unreadable.isEmpty() && written.value() == plan.value().kinds.size();
}

} // namespace CsvBench
