#include "RawSql.h"
#include "SqlWarnings.h"
#include "TestSandbox.h"
#include "data/DataFileCommands.h"
#include "data/DataFileFactory.h"
#include "data/Database.h"
#include "data/Transaction.h"

#include <QDir>
#include <QtTest>
#include <sys/stat.h>

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

int modeOf(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 0777)
                                                                     : -1;
}

QList<QVariantList> everything(const QString &path)
{
    QList<QVariantList> all;
    for (const char *table : { "Contacts", "ContactType", "Users", "Reminders" })
        all << RawSql::rows(
            path, QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(QLatin1String(table)));
    return all;
}

} // namespace

class TestDataFileCommands : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestSandbox> sandbox;
    QString current;
    QString templateFile;
    mode_t umaskBefore = 0;

private slots:
    void init()
    {
        failOnSqlWarnings();
        // Files the program writes get the mode the user's umask gives, as any other new file.
        umaskBefore = ::umask(022);
        sandbox = std::make_unique<TestSandbox>();
        current = sandbox->writeDefaultDataFile();
        QVERIFY(
            RawSql::run(current,
                        { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Notes) "
                                         "VALUES ('王', '伟', '备注'), ('O''Brien', 'Anna', NULL)"),
                          QStringLiteral("INSERT INTO Reminders (item, Done, Date) "
                                         "VALUES ('回电话', 1, '2026-12-07')") }));
        templateFile = sandbox->path(DataFileFactory::templateFileName());
        QVERIFY(DataFileFactory::createDataFile(templateFile));
    }

    void cleanup()
    {
        sandbox.reset();
        ::umask(umaskBefore);
    }

    void newDataFileIsACopyOfTheTemplate_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("existing");
        QTest::newRow("new name") << QStringLiteral("新名片.cot") << false;
        QTest::newRow("existing file replaced") << QStringLiteral("旧名片.cot") << true;
        QTest::newRow("typed without extension") << QStringLiteral("新名片") << false;
    }

    void newDataFileIsACopyOfTheTemplate()
    {
        QFETCH(QString, name);
        QFETCH(bool, existing);
        const QString target = sandbox->path(name);
        const int mode = existing ? 0640 : 0644;
        if (existing)
            QVERIFY(QFile::copy(current, target)
                    && ::chmod(QFile::encodeName(target).constData(), mode_t(mode)) == 0);
        const Status made = DataFileCommands::createFromTemplate(target, current);
        QVERIFY2(made, qPrintable(made.message()));
        QCOMPARE(bytesOf(target), bytesOf(templateFile));
        QCOMPARE(modeOf(target), mode);
        QCOMPARE(modeOf(templateFile), 0644);
        QVERIFY(!QFileInfo::exists(target + QStringLiteral(".cot")));
        QVERIFY(Database::open(target));
    }

    void failedNewDataFileChangesNothing_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("message");
        QTest::newRow("template missing")
            << QStringLiteral("template missing") << QStringLiteral("找不到数据库模板文件");
        QTest::newRow("template damaged")
            << QStringLiteral("template damaged") << QStringLiteral("数据库模板文件不能使用");
        QTest::newRow("folder missing")
            << QStringLiteral("folder missing") << QStringLiteral("无法写入");
        QTest::newRow("target is a folder")
            << QStringLiteral("target is a folder") << QStringLiteral("无法写入");
        QTest::newRow("current file")
            << QStringLiteral("current file") << QStringLiteral("当前正在使用的数据库文件");
    }

    void failedNewDataFileChangesNothing()
    {
        QFETCH(QString, problem);
        QFETCH(QString, message);
        QString target = sandbox->path(QStringLiteral("旧名片.cot"));
        QVERIFY(QFile::copy(current, target));
        if (problem == QLatin1String("template missing"))
            QVERIFY(QFile::remove(templateFile));
        else if (problem == QLatin1String("template damaged"))
            writeBytes(templateFile, QByteArrayLiteral("not a data file"));
        else if (problem == QLatin1String("folder missing"))
            target = sandbox->path(QStringLiteral("没有/新名片.cot"));
        else if (problem == QLatin1String("target is a folder"))
            QVERIFY(QDir(sandbox->path(QString()))
                        .mkdir(target = sandbox->path(QStringLiteral("文件夹.cot"))));
        else if (problem == QLatin1String("current file"))
            target = QDir(sandbox->path(QString()))
                         .filePath(QStringLiteral("./") + QFileInfo(current).fileName());
        const QStringList filesBefore
            = QDir(sandbox->path(QString()))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const QByteArray currentBefore = bytesOf(current);

        const Status made = DataFileCommands::createFromTemplate(target, current);
        QVERIFY(!made);
        QVERIFY2(made.message().contains(message), qPrintable(made.message()));
        QCOMPARE(bytesOf(current), currentBefore);
        QCOMPARE(QDir(sandbox->path(QString()))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 filesBefore);
        QCOMPARE(bytesOf(sandbox->path(QStringLiteral("旧名片.cot"))), currentBefore);
    }

    void backUpOpensWithEveryRow_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<bool>("otherWriterBusy");
        QTest::newRow("new file") << false << false;
        QTest::newRow("existing file replaced") << true << false;
        QTest::newRow("another writer holds changes") << false << true;
    }

    void backUpOpensWithEveryRow()
    {
        QFETCH(bool, existing);
        QFETCH(bool, otherWriterBusy);
        const QString target = sandbox->path(QStringLiteral("备份名片.cot"));
        const int mode = existing ? 0600 : 0644;
        if (existing) {
            writeBytes(target, QByteArrayLiteral("an older back-up"));
            QVERIFY(::chmod(QFile::encodeName(target).constData(), mode_t(mode)) == 0);
        }
        const auto committed = everything(current);
        auto open = Database::open(current);
        QVERIFY(open);
        auto other = Database::open(current);
        QVERIFY(other);
        Transaction pending(*other.value());
        if (otherWriterBusy) {
            QVERIFY(pending.begin());
            QVERIFY(other.value()->execute(QStringLiteral(
                "INSERT INTO Contacts (FirstName, LastName) VALUES ('未', '提交')")));
        }

        const Status saved = DataFileCommands::backUp(*open.value(), target);
        QVERIFY2(saved, qPrintable(saved.message()));
        QVERIFY(Database::open(target));
        QCOMPARE(everything(target), committed);
        QCOMPARE(modeOf(target), mode);
        const QStringList leftovers
            = QDir(sandbox->path(QString()))
                  .entryList({ QStringLiteral(".zorvane-*") }, QDir::Files | QDir::Hidden);
        QCOMPARE(leftovers, QStringList());
    }

    void failedBackUpChangesNothing_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("message");
        QTest::newRow("folder missing")
            << QStringLiteral("folder missing") << QStringLiteral("无法写入");
        QTest::newRow("target is a folder")
            << QStringLiteral("target is a folder") << QStringLiteral("无法写入");
        QTest::newRow("current file")
            << QStringLiteral("current file") << QStringLiteral("当前正在使用的数据库文件");
    }

    void failedBackUpChangesNothing()
    {
        QFETCH(QString, problem);
        QFETCH(QString, message);
        QString target = current;
        if (problem == QLatin1String("folder missing"))
            target = sandbox->path(QStringLiteral("没有/备份名片.cot"));
        else if (problem == QLatin1String("target is a folder"))
            QVERIFY(QDir(sandbox->path(QString()))
                        .mkdir(target = sandbox->path(QStringLiteral("文件夹.cot"))));
        const QStringList filesBefore
            = QDir(sandbox->path(QString()))
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        const QByteArray currentBefore = bytesOf(current);
        {
            auto open = Database::open(current);
            QVERIFY(open);
            const Status saved = DataFileCommands::backUp(*open.value(), target);
            QVERIFY(!saved);
            QVERIFY2(saved.message().contains(message), qPrintable(saved.message()));
        }
        QCOMPARE(bytesOf(current), currentBefore);
        QCOMPARE(QDir(sandbox->path(QString()))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 filesBefore);
    }
};

QTEST_GUILESS_MAIN(TestDataFileCommands)
#include "tst_datafilecommands.moc"
