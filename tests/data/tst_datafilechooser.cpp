#include "../../fuzz/HostileDataFiles.h"
#include "FileBytes.h"
#include "RawSql.h"
#include "SqlWarnings.h"
#include "TestSandbox.h"
#include "data/DataFileChooser.h"
#include "data/DataFileFactory.h"
#include "data/Transaction.h"
#include "data/WriteGate.h"
#include "shared/AppSettings.h"
#include "shared/AppState.h"

#include <QTemporaryDir>
#include <QtTest>

class TestDataFileChooser : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir crafted;

private slots:
    void init() { failOnSqlWarnings(); }

    void firstStartOpensDefaultAndLeavesSettingUnset_data()
    {
        QTest::addColumn<QVariant>("setting");
        QTest::newRow("unset") << QVariant();
        QTest::newRow("empty") << QVariant(QString());
        QTest::newRow("blanks") << QVariant(QStringLiteral("   "));
    }

    void firstStartOpensDefaultAndLeavesSettingUnset()
    {
        QFETCH(QVariant, setting);
        TestSandbox sandbox;
        const QString defaultFile = sandbox.writeDefaultDataFile();
        if (setting.isValid())
            AppSettings::setDatabasePath(setting.toString());

        auto opened = DataFileChooser::chooseAndOpen();
        QVERIFY2(opened, qPrintable(opened.message()));
        QVERIFY(!opened.value().fellBack);
        QCOMPARE(opened.value().path, defaultFile);
        QCOMPARE(AppState::instance().dbPath, defaultFile);
        QCOMPARE(AppSettings::databasePath(), setting.toString());
    }

    void chosenFileOpensWithoutFallback()
    {
        TestSandbox sandbox;
        sandbox.writeDefaultDataFile();
        const QString other = sandbox.path(QStringLiteral("其他 名片.cot"));
        QVERIFY(DataFileFactory::createDataFile(other));
        AppSettings::setDatabasePath(other);
        auto opened = DataFileChooser::chooseAndOpen();
        QVERIFY2(opened, qPrintable(opened.message()));
        QVERIFY(!opened.value().fellBack);
        QCOMPARE(opened.value().database->path(), other);
    }

    // The crafted files the program refuses (each refusal is tested with the file checks).
    void badFileFallsBackToDefaultAndStaysUnchanged_data()
    {
        QTest::addColumn<QString>("source");
        QTest::newRow("missing") << QString();
        const auto written = HostileDataFiles::write(crafted.path());
        QVERIFY2(written, qPrintable(written.message()));
        for (const HostileDataFiles::Sample &sample : written.value()) {
            if (!sample.opens && !sample.damagedPages)
                QTest::newRow(qPrintable(sample.fileName)) << crafted.filePath(sample.fileName);
        }
    }

    void badFileFallsBackToDefaultAndStaysUnchanged()
    {
        QFETCH(QString, source);
        TestSandbox sandbox;
        const QString defaultFile = sandbox.writeDefaultDataFile();
        const QString bad = sandbox.path(QStringLiteral("bad.cot"));
        const bool existed = !source.isEmpty();
        if (existed)
            QVERIFY(QFile::copy(source, bad));
        const QByteArray before = FileBytes::read(bad);
        AppSettings::setDatabasePath(bad);

        auto opened = DataFileChooser::chooseAndOpen();
        QVERIFY2(opened, qPrintable(opened.message()));
        QVERIFY(opened.value().fellBack);
        QVERIFY(!opened.value().fallbackReason.isEmpty());
        QCOMPARE(opened.value().path, defaultFile);
        QCOMPARE(AppSettings::databasePath(), defaultFile);
        QCOMPARE(QFileInfo::exists(bad), existed);
        QCOMPARE(FileBytes::read(bad), before);
    }

    // A file whose tables are intact but whose pages are damaged stays in use for reading, and
    // nothing is written to it.
    void damagedFileOpensReadOnly_data()
    {
        QTest::addColumn<QString>("source");
        const auto written = HostileDataFiles::write(crafted.path());
        QVERIFY2(written, qPrintable(written.message()));
        for (const HostileDataFiles::Sample &sample : written.value()) {
            if (sample.damagedPages)
                QTest::newRow(qPrintable(sample.fileName)) << crafted.filePath(sample.fileName);
        }
    }

    void damagedFileOpensReadOnly()
    {
        QFETCH(QString, source);
        TestSandbox sandbox;
        sandbox.writeDefaultDataFile();
        const QString damaged = sandbox.path(QStringLiteral("damaged.cot"));
        QVERIFY(QFile::copy(source, damaged));
        const QByteArray before = FileBytes::read(damaged);
        AppSettings::setDatabasePath(damaged);

        auto opened = DataFileChooser::chooseAndOpen();
        QVERIFY2(opened, qPrintable(opened.message()));
        QVERIFY(!opened.value().fellBack);
        QCOMPARE(opened.value().path, damaged);
        Database &database = *opened.value().database;
        QCOMPARE(database.gate().state(), WriteGate::State::Damaged);
        QVERIFY(!database.gate().damage().isEmpty());
        Transaction transaction(database);
        const Status begun = transaction.begin();
        QVERIFY(!begun);
        QVERIFY(begun.message().startsWith(QStringLiteral("数据文件已损坏（")));
        QVERIFY(!database.execute(QStringLiteral("DELETE FROM Reminders")));
        opened.value().database.reset();
        QCOMPARE(FileBytes::read(damaged), before);
    }

    void deletedDefaultFileIsRecreated()
    {
        TestSandbox sandbox;
        const QString defaultFile = sandbox.path(DataFileFactory::defaultDataFileName());
        QVERIFY(!QFileInfo::exists(defaultFile));
        auto opened = DataFileChooser::chooseAndOpen();
        QVERIFY2(opened, qPrintable(opened.message()));
        QVERIFY(!opened.value().fellBack);
        QCOMPARE(opened.value()
                     .database->scalar(QStringLiteral("SELECT COUNT(*) FROM Users"))
                     .value()
                     .toInt(),
                 2);
    }

    void unwritableProgramFolderKeepsTheDataInTheUserFolder()
    {
        // An installed program: the default file goes to the user's (not yet made) data folder,
        // as a copy of the template the program came with.
        struct InstalledSandbox : TestSandbox
        {
            QString dataFolder() const override { return path(QStringLiteral("user/Zorvane")); }
        } sandbox;
        const QString shipped = sandbox.path(DataFileFactory::templateFileName());
        QVERIFY(DataFileFactory::createDataFile(shipped));
        RawSql::run(shipped,
                    { QStringLiteral("INSERT INTO Reminders (item) VALUES ('模板里的')") });

        auto opened = DataFileChooser::chooseAndOpen();
        QVERIFY2(opened, qPrintable(opened.message()));
        const QString created = sandbox.path(QStringLiteral("user/Zorvane/MyData.cot"));
        QCOMPARE(opened.value().path, created);
        QCOMPARE(RawSql::value(created, QStringLiteral("SELECT item FROM Reminders")).toString(),
                 QStringLiteral("模板里的"));
        QVERIFY(!QFileInfo::exists(sandbox.path(DataFileFactory::defaultDataFileName())));
        QVERIFY(AppSettings::databasePath().isEmpty());
    }

    void damagedDefaultFileIsReportedAndLeftAsItWas_data()
    {
        QTest::addColumn<bool>("chosenElsewhere");
        QTest::newRow("default chosen") << false;
        QTest::newRow("after fallback") << true;
    }

    void damagedDefaultFileIsReportedAndLeftAsItWas()
    {
        QFETCH(bool, chosenElsewhere);
        TestSandbox sandbox;
        const QString defaultFile = sandbox.path(DataFileFactory::defaultDataFileName());
        QVERIFY(FileBytes::write(defaultFile, "garbage that is not a database"));
        if (chosenElsewhere)
            AppSettings::setDatabasePath(sandbox.path(QStringLiteral("gone.cot")));
        const QByteArray before = FileBytes::read(defaultFile);

        auto opened = DataFileChooser::chooseAndOpen();
        QVERIFY(!opened);
        QVERIFY(opened.message().contains(defaultFile));
        QCOMPARE(FileBytes::read(defaultFile), before);
    }
};

QTEST_GUILESS_MAIN(TestDataFileChooser)
#include "tst_datafilechooser.moc"
