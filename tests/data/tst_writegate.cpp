#include "../../fuzz/HostileDataFiles.h"
#include "FileBytes.h"
#include "JoiningThread.h"
#include "RawSql.h"
#include "SqlWarnings.h"
#include "TestSandbox.h"
#include "data/DataFileCommands.h"
#include "data/Database.h"
#include "data/SampleData.h"
#include "data/Transaction.h"
#include "data/WriteGate.h"

#include <QTemporaryDir>
#include <QtTest>
#include <future>
#include <sqlite3.h>

// A data file too large to check as it opens: its check runs on a connection of its own, and no
// write reaches the file before that check has passed.
class TestWriteGate : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir shared;
    QString large;

    QString copyOfLarge(const TestSandbox &sandbox)
    {
        const QString copy = sandbox.path(QStringLiteral("large.cot"));
        QFile::copy(large, copy);
        return copy;
    }

    static int readEveryContact(Database &database)
    {
        int rows = 0;
        const Status read = database.select(QStringLiteral("SELECT * FROM Contacts"), {},
                                            [&rows](const QSqlQuery &) { ++rows; });
        return read ? rows : -1;
    }

private slots:
    void initTestCase()
    {
        large = shared.filePath(QStringLiteral("large.cot"));
        SampleData::Options options;
        options.contacts = 40000;
        QVERIFY(SampleData::write(large, options));
        QVERIFY(QFileInfo(large).size() > 8 * 1024 * 1024);
    }

    void init() { failOnSqlWarnings(); }
    void cleanup() { WriteGate::setWaitIndicator({}); }

    void damagedLargeFileIsNeverWritten()
    {
        TestSandbox sandbox;
        const QString file = copyOfLarge(sandbox);
        QVERIFY(RawSql::run(file, { QStringLiteral("DELETE FROM Contacts WHERE ID > 39000") }));
        const auto damaged = HostileDataFiles::pointFreeListAtContacts(file);
        QVERIFY2(damaged, qPrintable(damaged.message()));
        const QByteArray before = FileBytes::read(file);

        auto opened = Database::open(file);
        QVERIFY2(opened, qPrintable(opened.message()));
        Database &database = *opened.value();
        QCOMPARE(database.gate().state(), WriteGate::State::Unchecked);
        {
            Transaction transaction(database);
            const Status begun = transaction.begin();
            QVERIFY(!begun);
            QVERIFY2(begun.message().startsWith(QStringLiteral("数据文件已损坏（")),
                     qPrintable(begun.message()));
        }
        QCOMPARE(database.gate().state(), WriteGate::State::Damaged);
        QVERIFY(!database.insert(QStringLiteral("INSERT INTO Contacts (FirstName, LastName) "
                                                "VALUES ('新', '人')")));
        const QString backUp = sandbox.path(QStringLiteral("备份名片.cot"));
        const Status saved = DataFileCommands::backUp(database, backUp);
        QVERIFY(!saved);
        QVERIFY(saved.message().contains(QStringLiteral("未通过完整性检查")));
        QVERIFY(!QFileInfo::exists(backUp));
        QCOMPARE(readEveryContact(database), 39000);
        opened.value().reset();
        QVERIFY(FileBytes::read(file) == before);
    }

    void deferredCheckHoldsAWriteUntilItPasses()
    {
        TestSandbox sandbox;
        const QString file = copyOfLarge(sandbox);
        auto opened = Database::open(file);
        QVERIFY2(opened, qPrintable(opened.message()));
        Database &database = *opened.value();

        // Another program holds the file while the check would read it, and lets go only once
        // the write has started waiting.
        std::promise<void> locked;
        std::promise<void> waiting;
        auto startedWaiting = waiting.get_future().share();
        QList<bool> shown;
        WriteGate::setWaitIndicator([&](bool busy) {
            shown << busy;
            if (busy)
                waiting.set_value();
        });
        JoiningThread holder([&] {
            sqlite3 *other = nullptr;
            sqlite3_open(QFile::encodeName(file).constData(), &other);
            sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr);
            locked.set_value();
            startedWaiting.wait();
            sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
            sqlite3_close(other);
        });
        locked.get_future().wait();

        Transaction transaction(database);
        QVERIFY(transaction.begin());
        QCOMPARE(shown, (QList<bool> { true, false }));
        QCOMPARE(database.gate().state(), WriteGate::State::Sound);
        QVERIFY(database.insert(QStringLiteral("INSERT INTO Contacts (FirstName, LastName) "
                                               "VALUES ('新', '人')")));
        QVERIFY(transaction.commit());
        QCOMPARE(RawSql::value(file, QStringLiteral("SELECT COUNT(*) FROM Contacts")).toInt(),
                 40001);
    }

    // The weekly full check finds what the quick one may not report; the file is then damaged.
    void fullCheckFailureMakesTheFileReadOnly()
    {
        TestSandbox sandbox;
        const QString file = copyOfLarge(sandbox);
        auto opened = Database::open(file);
        QVERIFY(opened);
        Database &database = *opened.value();
        QVERIFY(database.gate().awaitWritable());
        // An index entry no row has: only the full check compares indexes with their table.
        QVERIFY(RawSql::run(file,
                            { QStringLiteral("PRAGMA writable_schema = ON"),
                              QStringLiteral("UPDATE sqlite_master SET sql = 'CREATE INDEX "
                                             "ContactsByName ON Contacts (LastName, "
                                             "FirstName)' WHERE name = 'ContactsByName'") }));
        std::optional<Status> told;
        database.gate().startFullCheck([&told](const Status &outcome) { told = outcome; });
        QTRY_VERIFY_WITH_TIMEOUT(told.has_value(), 60000);
        QVERIFY(!told.value());
        QCOMPARE(database.gate().state(), WriteGate::State::Damaged);
        QVERIFY(!database.execute(QStringLiteral("DELETE FROM Reminders")));
    }
};

QTEST_GUILESS_MAIN(TestWriteGate)
#include "tst_writegate.moc"
