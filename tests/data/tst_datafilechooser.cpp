#include "RawSql.h"
#include "SqlWarnings.h"
#include "TestSandbox.h"
#include "data/DataFileChooser.h"
#include "data/DataFileFactory.h"
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

// Builds one kind of file the program must refuse; returns its path. The crafted files of the
// hostile-file test show every other way a file is refused.
QString makeBadFile(const TestSandbox &sandbox, const QString &kind)
{
    const QString path = sandbox.path(QStringLiteral("bad.cot"));
    if (kind == QLatin1String("text"))
        writeBytes(path, QByteArrayLiteral("这不是数据文件\r\nJust some notes.\r\n"));
    else if (kind == QLatin1String("foreign"))
        RawSql::run(path, { QStringLiteral("CREATE TABLE notes (id INTEGER, body TEXT)") });
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
        for (const char *kind : { "missing", "text", "foreign" })
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
