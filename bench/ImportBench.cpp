#include "ImportBench.h"

#include "BenchReport.h"
#include "data/DataFileImport.h"
#include "data/Database.h"
#include "data/SampleData.h"
#include "data/WriteGate.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstdio>

namespace {

constexpr int importedContacts = 10000;

bool failed(const QString &message)
{
    std::fprintf(stderr, "%s\n", qUtf8Printable(message));
    return false;
}

// Generated names repeat; a prefix and the row's ID make every one new to the target and to the
// file itself.
Status writeSource(const QString &path)
{
    SampleData::Options options;
    options.contacts = importedContacts;
    options.seed = 20261207;
    if (Status written = SampleData::write(path, options); !written)
        return written;
    auto opened = Database::open(path);
    if (!opened)
        return opened.status();
    const auto renamed = opened.value()->execute(
        QStringLiteral("UPDATE Contacts SET FirstName = '导入' || FirstName, "
                       "LastName = LastName || CAST(ID AS TEXT)"));
    return renamed ? Status::success() : renamed.status();
}

} // namespace

namespace ImportBench {

bool run(const QString &dataFile, const QString &folder)
{
    const QString target = QDir(folder).filePath(QStringLiteral("import-target.cot"));
    const QString source = QDir(folder).filePath(QStringLiteral("import-source.cot"));
    if (!QFile::copy(dataFile, target))
        return failed(QStringLiteral("cannot copy the data file"));
    if (Status written = writeSource(source); !written)
        return failed(written.message());
    auto opened = Database::open(target);
    if (!opened)
        return failed(opened.message());
    // The program checks a large file while its windows first show, long before an import.
    if (Status checked = opened.value()->gate().awaitWritable(); !checked)
        return failed(checked.message());

    int questions = 0;
    DataFileImport importer(*opened.value());
    // As the window does: repaint at every step of the share done.
    importer.onProgress = [](int) { QCoreApplication::processEvents(); };
    importer.onDuplicate = [&questions](const QString &, const QString &) {
        ++questions;
        return DataFileImport::DuplicateChoice::Skip;
    };
    QElapsedTimer timer;
    timer.start();
    const auto done = importer.importFile(source);
    BenchReport::milliseconds(QStringLiteral("import_10k_ms"), timer);
    BenchReport::figure(QStringLiteral("import_10k_target_ms"), 2000);
    if (!done)
        return failed(done.message());
    BenchReport::figure(QStringLiteral("import_10k_contacts_copied"), done.value().contactsCopied);
    BenchReport::figure(QStringLiteral("import_10k_questions"), questions);
    return questions == 0 && done.value().contactsCopied == importedContacts
        && done.value().rowsFailed == 0 && done.value().stoppedBy.isEmpty();
}

} // namespace ImportBench
