#include "RawSql.h"
#include "SqlWarnings.h"
#include "TestSandbox.h"
#include "data/DataFileFactory.h"
#include "data/Database.h"
#include "data/FileFormat.h"
#include "data/Schema.h"
#include "data/Transaction.h"

#include <QtTest>

// Every data file says which format version wrote it and which feature tables it carries; this
// program opens files of its own and earlier versions and refuses newer ones.
class TestFileFormat : public QObject
{
    Q_OBJECT

private:
    static QList<QVariantList> recorded(const QString &file)
    {
        return RawSql::rows(
            file, QStringLiteral("SELECT Name, Version FROM DataFileFormat ORDER BY Name"));
    }

private slots:
    void init() { failOnSqlWarnings(); }

    void newFileRecordsItsVersion()
    {
        TestSandbox sandbox;
        const QString file = sandbox.path(QStringLiteral("new.cot"));
        QVERIFY(DataFileFactory::createDataFile(file));
        QCOMPARE(recorded(file), (QList<QVariantList> { { QStringLiteral("DataFile"), 2 } }));
        QCOMPARE(RawSql::value(file, QStringLiteral("PRAGMA user_version")).toInt(), 2);
    }

    void newerFileIsRefused_data()
    {
        QTest::addColumn<QStringList>("change");
        QTest::newRow("header") << QStringList { QStringLiteral("PRAGMA user_version = 3") };
        QTest::newRow("format table") << QStringList { QStringLiteral(
            "UPDATE DataFileFormat SET Version = 3 WHERE Name = 'DataFile'") };
        QTest::newRow("feature table of a newer version")
            << QStringList { QStringLiteral("INSERT INTO DataFileFormat VALUES ('Cards', 3)") };
    }

    void newerFileIsRefused()
    {
        QFETCH(QStringList, change);
        TestSandbox sandbox;
        const QString file = sandbox.path(QStringLiteral("newer.cot"));
        QVERIFY(DataFileFactory::createDataFile(file));
        QVERIFY(RawSql::run(file, change));
        const auto opened = Database::open(file);
        QVERIFY(!opened);
        QCOMPARE(opened.message(),
                 QStringLiteral("此数据文件由较新版本的本程序创建，请先升级本程序。"));
    }

    // A file of the first version: no format table, its version 1 in the header only.
    void earlierFileOpensAndIsRecorded()
    {
        TestSandbox sandbox;
        const QString file = sandbox.path(QStringLiteral("older.cot"));
        QVERIFY(DataFileFactory::createDataFile(file));
        QVERIFY(
            RawSql::run(file,
                        { QStringLiteral("DROP TABLE DataFileFormat"),
                          Schema::findFeatureTable(QStringLiteral("MergeUndo"))->createStatement,
                          QStringLiteral("PRAGMA user_version = 1") }));
        auto opened = Database::open(file);
        QVERIFY2(opened, qPrintable(opened.message()));
        QVERIFY(FileFormat::ensure(*opened.value()));
        QCOMPARE(recorded(file),
                 (QList<QVariantList> { { QStringLiteral("DataFile"), 2 },
                                        { QStringLiteral("MergeUndo"), 2 } }));
        QCOMPARE(RawSql::value(file, QStringLiteral("PRAGMA user_version")).toInt(), 2);

        // A feature table made later is recorded with it.
        Transaction transaction(*opened.value());
        QVERIFY(transaction.begin());
        QVERIFY(Schema::ensureFeatureTable(*opened.value(), QStringLiteral("CardDavState")));
        QVERIFY(transaction.commit());
        QCOMPARE(recorded(file).size(), 3);
        QCOMPARE(recorded(file).at(0), (QVariantList { QStringLiteral("CardDavState"), 2 }));
    }
};

QTEST_GUILESS_MAIN(TestFileFormat)
#include "tst_fileformat.moc"
