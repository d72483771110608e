#include "JoiningThread.h"
#include "RawSql.h"
#include "SandboxedDataFile.h"
#include "data/Database.h"
#include "data/Transaction.h"

#include <QtTest>
#include <atomic>
#include <sqlite3.h>
#include <thread>

namespace {

// Counts the pauses SQLite takes while a connection waits for another's lock: the sign that a
// write really waited. Every connection of the program uses the default file system layer.
class BusyPauses
{
public:
    BusyPauses()
        : m_vfs(sqlite3_vfs_find(nullptr))
    {
        s_pauses = 0;
        s_sleep = m_vfs->xSleep;
        m_vfs->xSleep = &countedSleep;
    }
    ~BusyPauses() { m_vfs->xSleep = s_sleep; }
    BusyPauses(const BusyPauses &) = delete;
    BusyPauses &operator=(const BusyPauses &) = delete;

    int count() const { return s_pauses; }

private:
    static int countedSleep(sqlite3_vfs *vfs, int microseconds)
    {
        ++s_pauses;
        return s_sleep(vfs, microseconds);
    }

    sqlite3_vfs *m_vfs;
    static inline std::atomic<int> s_pauses { 0 };
    static inline int (*s_sleep)(sqlite3_vfs *, int) = nullptr;
};

} // namespace

class TestDatabase : public QObject, protected SandboxedDataFile
{
    Q_OBJECT

private:
    qint64 addContact(const QString &first, const QString &last = QStringLiteral("名"))
    {
        const auto id = database->insert(
            QStringLiteral("INSERT INTO Contacts (FirstName, LastName) VALUES (?, ?)"),
            { first, last });
        return id ? id.value() : -1;
    }

    // Read on a connection of its own: what another program would see.
    qint64 contactCount()
    {
        return RawSql::value(file, QStringLiteral("SELECT COUNT(*) FROM Contacts")).toLongLong();
    }

private slots:
    void init() { QVERIFY(openDataFile()); }

    void cleanup() { closeDataFile(); }

    // Names of tables and fields, and text in criteria, compare without regard to case; the
    // text itself comes back as stored.
    void namesRoundTripAndLookupsIgnoreCase_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("lookedUp");
        QTest::newRow("latin case") << QStringLiteral("Smith") << QStringLiteral("sMITH");
        QTest::newRow("apostrophe") << QStringLiteral("O'Brien") << QStringLiteral("o'brien");
        QTest::newRow("chinese") << QStringLiteral("欧阳") << QStringLiteral("欧阳");
        QTest::newRow("injection")
            << QStringLiteral("'; DROP TABLE Users;--") << QStringLiteral("'; drop table users;--");
    }

    void namesRoundTripAndLookupsIgnoreCase()
    {
        QFETCH(QString, stored);
        QFETCH(QString, lookedUp);
        const qint64 id = addContact(stored);
        QVERIFY(id > 0);
        addContact(QStringLiteral("其他人"));

        const auto found = database->records(
            QStringLiteral("select id, firstname from CONTACTS where FIRSTNAME = ?"), { lookedUp });
        QVERIFY2(found, qPrintable(found.message()));
        QCOMPARE(found.value().size(), 1);
        QCOMPARE(found.value().first().value(0).toLongLong(), id);
        QCOMPARE(found.value().first().value(1).toString(), stored);
        QCOMPARE(contactCount(), 2);
    }

    void idsGrowPastDeletedRows()
    {
        addContact(QStringLiteral("一"));
        addContact(QStringLiteral("二"));
        const qint64 third = addContact(QStringLiteral("三"));
        QVERIFY(database->execute(QStringLiteral("DELETE FROM Contacts WHERE ID = ?"), { third }));
        QVERIFY(addContact(QStringLiteral("四")) > third);
    }

    void textLimitsAreEnforcedByTheFile_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("limit");
        QTest::newRow("FirstName") << QStringLiteral("FirstName") << 25;
        QTest::newRow("Postcode") << QStringLiteral("Postcode") << 10;
        QTest::newRow("Data1") << QStringLiteral("Data1") << 50;
        QTest::newRow("Email") << QStringLiteral("Email") << 100;
    }

    void textLimitsAreEnforcedByTheFile()
    {
        QFETCH(QString, field);
        QFETCH(int, limit);
        const QString sql
            = QStringLiteral("INSERT INTO Contacts (LastName, %1) VALUES ('名', ?)").arg(field);
        QVERIFY(database->insert(sql, { QString(limit, QChar(u'字')) }));
        const auto refused = database->insert(sql, { QString(limit + 1, QChar(u'字')) });
        QVERIFY(!refused);
        QVERIFY(!refused.message().isEmpty());
        QCOMPARE(contactCount(), 1);
    }

    // A file too large to read whole at every opening is still refused when it was cut short.
    void largeFileOpensUnlessCutShort_data()
    {
        QTest::addColumn<qint64>("cut");
        QTest::addColumn<bool>("opens");
        QTest::newRow("whole") << qint64(0) << true;
        QTest::newRow("last page cut off") << qint64(4096) << false;
    }

    void largeFileOpensUnlessCutShort()
    {
        QFETCH(qint64, cut);
        QFETCH(bool, opens);
        QList<QVariantList> rows;
        for (int i = 0; i < 40; ++i)
            rows << QVariantList { QStringLiteral("姓"), QStringLiteral("名"),
                                   QString(250000, u'x') };
        QVERIFY(database->executeEach(
            QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Notes) VALUES (?, ?, ?)"),
            rows));
        database.reset();
        QFile data(file);
        QVERIFY(data.size() > 10'000'000);
        QVERIFY(data.resize(data.size() - cut));
        auto opened = Database::open(file);
        QCOMPARE(bool(opened), opens);
        if (opened)
            database = opened.takeValue();
    }

    void transactionRollsBackUnlessCommitted()
    {
        {
            Transaction transaction(*database);
            QVERIFY(transaction.begin());
            addContact(QStringLiteral("半"));
        }
        QCOMPARE(contactCount(), 0);
        {
            Transaction transaction(*database);
            QVERIFY(transaction.begin());
            addContact(QStringLiteral("全"));
            QVERIFY(transaction.commit());
        }
        QCOMPARE(contactCount(), 1);
    }

    void writerWaitsOutAnotherConnectionsBriefLock()
    {
        // Another connection holds the write lock until our write is seen waiting for it, then
        // lets go; the write goes through instead of failing.
        const BusyPauses pauses;
        std::atomic<bool> locked { false };
        std::atomic<bool> sawWait { false };
        std::atomic<bool> committed { false };
        JoiningThread holder([&] {
            auto other = Database::open(file);
            if (!other || !other.value()->beginImmediate())
                return;
            locked = true;
            const QDeadlineTimer deadline(5000);
            while (pauses.count() == 0 && !deadline.hasExpired())
                std::this_thread::yield();
            sawWait = pauses.count() > 0;
            committed = bool(other.value()->commit());
        });
        QTRY_VERIFY_WITH_TIMEOUT(locked, 5000);
        QVERIFY(addContact(QStringLiteral("等")) > 0);
        holder.join();
        QVERIFY(sawWait);
        QVERIFY(committed);
        QCOMPARE(contactCount(), 1);
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
