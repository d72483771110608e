#include "FileBytes.h"
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

int modeOf(const QString &path)
{
    struct stat status;
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? int(status.st_mode & 0777)
                                                                     : -1;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
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
        QCOMPARE(FileBytes::read(target), FileBytes::read(templateFile));
        QCOMPARE(modeOf(target), mode);
        QCOMPARE(modeOf(templateFile), 0644);
        QVERIFY(!QFileInfo::exists(target + QStringLiteral(".cot")));
        QVERIFY(Database::open(target));
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
            QVERIFY(FileBytes::write(target, QByteArrayLiteral("an older back-up")));
            QVERIFY(::chmod(QFile::encodeName(target).constData(), mode_t(mode)) == 0);
        }
        const auto committed = RawSql::everything(current);
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
        QCOMPARE(RawSql::everything(target), committed);
        QCOMPARE(modeOf(target), mode);
        const QStringList leftovers
            = QDir(sandbox->path(QString()))
                  .entryList({ QStringLiteral(".zorvane-*") }, QDir::Files | QDir::Hidden);
        QCOMPARE(leftovers, QStringList());
    }

    // Both commands refuse a target they cannot write or the file in use, and leave every file
    // as it was.
    void refusedTargetChangesNothing_data()
    {
        QTest::addColumn<bool>("backUp");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("message");
        const QString unwritable = QStringLiteral("无法写入");
        const QString inUse = QStringLiteral("当前正在使用的数据库文件");
        for (bool backUp : { false, true }) {
            const char *command = backUp ? "back up: " : "new file: ";
            QTest::addRow("%sfolder missing", command) << backUp << "folder missing" << unwritable;
            QTest::addRow("%starget is a folder", command) << backUp << "folder" << unwritable;
            QTest::addRow("%scurrent file", command) << backUp << "current file" << inUse;
        }
        QTest::newRow("new file: template missing")
            << false << "template missing" << QStringLiteral("找不到数据库模板文件");
        QTest::newRow("new file: template damaged")
            << false << "template damaged" << QStringLiteral("数据库模板文件不能使用");
    }

    void refusedTargetChangesNothing()
    {
        QFETCH(bool, backUp);
        QFETCH(QString, problem);
        QFETCH(QString, message);
        const QString folder = sandbox->path(QString());
        const QString older = sandbox->path(QStringLiteral("旧名片.cot"));
        QVERIFY(QFile::copy(current, older));
        QString target = older;
        if (problem == QLatin1String("template missing"))
            QVERIFY(QFile::remove(templateFile));
        else if (problem == QLatin1String("template damaged"))
            QVERIFY(FileBytes::write(templateFile, QByteArrayLiteral("not a data file")));
        else if (problem == QLatin1String("folder missing"))
            target = sandbox->path(QStringLiteral("没有/新名片.cot"));
        else if (problem == QLatin1String("folder"))
            QVERIFY(QDir(folder).mkdir(target = sandbox->path(QStringLiteral("文件夹.cot"))));
        else
            target = QDir(folder).filePath(QStringLiteral("./") + QFileInfo(current).fileName());
        const QStringList filesBefore = filesIn(folder);
        const QByteArray currentBefore = FileBytes::read(current);
        const QByteArray templateBefore = FileBytes::read(templateFile);

        // The back-up's connection is closed before the files are compared.
        const Status made = [&] {
            if (!backUp)
                return DataFileCommands::createFromTemplate(target, current);
            auto open = Database::open(current);
            return open ? DataFileCommands::backUp(*open.value(), target)
                        : Status::failure(open.message());
        }();
        QVERIFY(!made);
        QVERIFY2(made.message().contains(message), qPrintable(made.message()));
        QCOMPARE(FileBytes::read(current), currentBefore);
        QCOMPARE(FileBytes::read(older), currentBefore);
        QCOMPARE(FileBytes::read(templateFile), templateBefore);
        QCOMPARE(filesIn(folder), filesBefore);
    }
};

QTEST_GUILESS_MAIN(TestDataFileCommands)
#include "tst_datafilecommands.moc"
