#include "RawSql.h"
#include "SqlWarnings.h"
#include "TestSandbox.h"
#include "data/DataFileChooser.h"
#include "data/DataFileFactory.h"
#include "data/Schema.h"
#include "shared/AppSettings.h"
#include "shared/AppState.h"

#include <QtTest>

namespace {

QByteArray bytesOf(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QString goodFile(const TestSandbox &sandbox, const QString &name)
{
    const QString path = sandbox.path(name);
    const Status written = DataFileFactory::createDataFile(path);
    if (!written)
        QTest::qFail(qPrintable(written.message()), __FILE__, __LINE__);
    return path;
}

// Builds one kind of file the program must refuse; returns its path.
QString makeBadFile(const TestSandbox &sandbox, const QString &kind)
{
    const QString path = sandbox.path(QStringLiteral("bad.cot"));
    if (kind == QLatin1String("missing"))
        return path;
    if (kind == QLatin1String("empty")) {
        writeBytes(path, {});
    } else if (kind == QLatin1String("text")) {
        writeBytes(path, QByteArrayLiteral("这不是数据文件\r\nJust some notes.\r\n"));
    } else if (kind == QLatin1String("truncated")) {
        const QByteArray whole = bytesOf(goodFile(sandbox, QStringLiteral("whole.cot")));
        writeBytes(path, whole.left(whole.size() / 2));
    } else if (kind == QLatin1String("flipped")) {
        QByteArray bytes = bytesOf(goodFile(sandbox, QStringLiteral("whole.cot")));
        const int pageSize = 4096;
        bytes[pageSize] = char(bytes.at(pageSize) ^ 0xff); // the page-type byte of a table page
        writeBytes(path, bytes);
    } else if (kind == QLatin1String("foreign")) {
        RawSql::run(path, { QStringLiteral("CREATE TABLE notes (id INTEGER, body TEXT)") });
    } else if (kind == QLatin1String("newer")) {
        goodFile(sandbox, QStringLiteral("bad.cot"));
        RawSql::run(path, { QStringLiteral("PRAGMA user_version = %1").arg(Schema::version + 1) });
    } else if (kind == QLatin1String("view")) {
        QStringList statements {
            QStringLiteral("PRAGMA application_id = %1").arg(Schema::applicationId),
            QStringLiteral("PRAGMA user_version = %1").arg(Schema::version)
        };
        for (const Schema::Table &table : Schema::tables()) {
            if (table.name != QLatin1String("Contacts"))
                statements << table.createStatement;
        }
        statements << QStringLiteral(
            "CREATE VIEW Contacts AS SELECT ID, UserName AS FirstName FROM Users");
        RawSql::run(path, statements);
    } else if (kind == QLatin1String("trigger")) {
        goodFile(sandbox, QStringLiteral("bad.cot"));
        RawSql::run(path,
                    { QStringLiteral("CREATE TRIGGER wipe AFTER INSERT ON Contacts BEGIN "
                                     "DELETE FROM Users; END") });
    } else if (kind == QLatin1String("missing field")) {
        goodFile(sandbox, QStringLiteral("bad.cot"));
        RawSql::run(path, { QStringLiteral("ALTER TABLE Contacts DROP COLUMN Notes") });
    }
    return path;
}

} // namespace

class TestDataFileChooser : public QObject
{
    Q_OBJECT

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
        const QString other = goodFile(sandbox, QStringLiteral("其他 名片.cot"));
        AppSettings::setDatabasePath(other);
        auto opened = DataFileChooser::chooseAndOpen();
        QVERIFY2(opened, qPrintable(opened.message()));
        QVERIFY(!opened.value().fellBack);
        QCOMPARE(opened.value().database->path(), other);
    }

    void badFileFallsBackToDefaultAndStaysUnchanged_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char *kind : { "missing", "empty", "text", "truncated", "flipped", "foreign",
                                  "newer", "view", "trigger", "missing field" })
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }

    void badFileFallsBackToDefaultAndStaysUnchanged()
    {
        QFETCH(QString, kind);
        TestSandbox sandbox;
        const QString defaultFile = sandbox.writeDefaultDataFile();
        const QString bad = makeBadFile(sandbox, kind);
        const bool existed = QFileInfo::exists(bad);
        const QByteArray before = bytesOf(bad);
        AppSettings::setDatabasePath(bad);

        auto opened = DataFileChooser::chooseAndOpen();
        QVERIFY2(opened, qPrintable(opened.message()));
        QVERIFY(opened.value().fellBack);
        QVERIFY(!opened.value().fallbackReason.isEmpty());
        QCOMPARE(opened.value().path, defaultFile);
        QCOMPARE(AppSettings::databasePath(), defaultFile);
        QCOMPARE(QFileInfo::exists(bad), existed);
        QCOMPARE(bytesOf(bad), before);
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
        const QString shipped = goodFile(sandbox, DataFileFactory::templateFileName());
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
        writeBytes(defaultFile, QByteArrayLiteral("garbage that is not a database"));
        if (chosenElsewhere)
            AppSettings::setDatabasePath(sandbox.path(QStringLiteral("gone.cot")));
        const QByteArray before = bytesOf(defaultFile);

        auto opened = DataFileChooser::chooseAndOpen();
        QVERIFY(!opened);
        QVERIFY(opened.message().contains(defaultFile));
        QCOMPARE(bytesOf(defaultFile), before);
    }
};

QTEST_GUILESS_MAIN(TestDataFileChooser)
#include "tst_datafilechooser.moc"
