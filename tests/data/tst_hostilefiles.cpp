#include "../../fuzz/HostileDataFiles.h"
#include "../../fuzz/ReadEverything.h"
#include "FileBytes.h"
#include "SqlWarnings.h"
#include "TestSandbox.h"
#include "data/DataFileImport.h"

#include <QTemporaryDir>
#include <QtTest>

// The crafted files the data-file fuzzer starts from: each is refused at open and at import and
// left as it was, or survives everything the program does with a data file, an import into itself
// included, and nothing it holds runs.
class TestHostileFiles : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir crafted;
    int tried = 0;
    int refused = 0;

private slots:
    void cleanupTestCase()
    {
        qInfo("figure hostile_files_tried: %d", tried);
        qInfo("figure hostile_files_refused: %d", refused);
    }

    void init() { failOnSqlWarnings(); }

    void craftedFilesAreRefusedOrSurvive_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("opens");
        const auto written = HostileDataFiles::write(crafted.path());
        QVERIFY2(written, qPrintable(written.message()));
        QVERIFY(written.value().size() >= 10);
        for (const HostileDataFiles::Sample &sample : written.value())
            QTest::newRow(qPrintable(sample.fileName))
                << crafted.filePath(sample.fileName) << sample.opens;
    }

    void craftedFilesAreRefusedOrSurvive()
    {
        QFETCH(QString, source);
        QFETCH(bool, opens);
        TestSandbox sandbox;
        const QString copy = sandbox.path(QStringLiteral("copy.cot"));
        QVERIFY(QFile::copy(source, copy));
        auto opened = Database::open(copy);
        ++tried;
        refused += opened ? 0 : 1;
        QCOMPARE(bool(opened), opens);
        if (!opened) {
            QVERIFY(!opened.message().isEmpty());
            auto target = Database::open(sandbox.writeDefaultDataFile());
            QVERIFY(target);
            const auto imported = DataFileImport(*target.value()).importFile(copy);
            QCOMPARE(imported.message(), opened.message());
            QCOMPARE(FileBytes::read(copy), FileBytes::read(source));
            return;
        }
        readEverything(*opened.value());
        const auto contacts = QStringLiteral("SELECT COUNT(*) FROM Contacts");
        const int before = opened.value()->scalar(contacts).value().toInt();
        // Every duplicate copied: each source row is read once, so at most doubled.
        DataFileImport intoItself(*opened.value());
        intoItself.onDuplicate = [](const QString &, const QString &) {
            return DataFileImport::DuplicateChoice::Copy;
        };
        const auto imported = intoItself.importFile(copy);
        QVERIFY2(imported, qPrintable(imported.message()));
        QCOMPARE(imported.value().categoriesCopied, 0);
        QVERIFY(opened.value()->scalar(contacts).value().toInt() <= 2 * before);
        const auto intact = opened.value()->scalar(QStringLiteral("PRAGMA integrity_check"));
        QCOMPARE(intact.value().toString(), QStringLiteral("ok"));
        const auto users = opened.value()->scalar(QStringLiteral("SELECT COUNT(*) FROM Users"));
        QVERIFY(users.value().toInt() >= 2);
    }
};

QTEST_GUILESS_MAIN(TestHostileFiles)
#include "tst_hostilefiles.moc"
