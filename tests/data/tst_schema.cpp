#include "RawSql.h"
#include "SqlWarnings.h"
#include "TestSandbox.h"
#include "data/ContactChanges.h"
#include "data/DataFileFactory.h"
#include "data/Database.h"
#include "data/GroupCounts.h"
#include "data/Schema.h"
#include "data/Transaction.h"

#include <QtTest>

// A brand-new data file: the tables and columns other data files share, the two starting
// accounts and the starting categories.
class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void init() { failOnSqlWarnings(); }

    void newFileHoldsTheSchemaAccountsAndCategories()
    {
        TestSandbox sandbox;
        const QString file = sandbox.path(QStringLiteral("new.cot"));
        QVERIFY(DataFileFactory::createDataFile(file));
        QVERIFY2(Database::open(file), "a new file must pass the program's own checks");

        const auto value = [&](const QString &sql) { return RawSql::value(file, sql); };
        const auto columns = [&](const char *table) {
            return value(
                       QStringLiteral("SELECT group_concat(name, ',') FROM pragma_table_info('%1')")
                           .arg(QLatin1String(table)))
                .toString();
        };
        QCOMPARE(columns("Contacts"),
                 QStringLiteral("ID,FirstName,LastName,Title,Type,CompanyName,Address1,Address2,"
                                "Address3,Postcode,Data1,Data2,Data3,Data4,Combo1,Combo2,Combo3,"
                                "Combo4,Email,Website,Notes"));
        QCOMPARE(columns("ContactType"), QStringLiteral("ID,Name,Type,Number,Description"));
        QCOMPARE(columns("Users").section(QLatin1Char(','), 1),
                 QStringLiteral("UserName,Password,access,Lastlogin"));
        QCOMPARE(columns("Reminders"), QStringLiteral("ID,item,Done,Date"));

        QCOMPARE(value(QStringLiteral("SELECT group_concat(access = 1, ',') FROM "
                                      "(SELECT access FROM Users WHERE Password = '' "
                                      "ORDER BY access = 1)"))
                     .toString(),
                 QStringLiteral("0,1"));
        QCOMPARE(value(QStringLiteral("SELECT COUNT(*) FROM ContactType WHERE Type = 3 AND Name = "
                                      "'其他方面'"))
                     .toInt(),
                 1);
        QCOMPARE(value(QStringLiteral("SELECT COUNT(*) FROM ContactType WHERE Type = 2 AND "
                                      "Name IN ('电话', '手机', '传真', '寻呼机')"))
                     .toInt(),
                 4);
        QVERIFY(value(QStringLiteral("SELECT COUNT(*) FROM ContactType WHERE Type = 1")).toInt()
                > 0);
        QCOMPARE(value(QStringLiteral("PRAGMA application_id")).toInt(), Schema::applicationId);
        QCOMPARE(value(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("delete"));
    }

    // The counts the contact list reads must equal counting the rows, after any write by any
    // program; a file made before the counts gets them filled at its next opening.
    void groupCountsFollowEveryWrite_data()
    {
        QTest::addColumn<QStringList>("writes");
        QTest::addColumn<bool>("fromOlderFile");
        QTest::addColumn<int>("groups");
        const QString add = QStringLiteral(
            "INSERT INTO Contacts (FirstName, LastName, Type) VALUES ('%1', '%2', %3)");
        const QStringList people {
            add.arg(QStringLiteral("王"), QStringLiteral("五"), QStringLiteral("'客户'")),
            add.arg(QStringLiteral("Lee"), QStringLiteral("Ann"), QStringLiteral("'vip'")),
            add.arg(QStringLiteral("Kim"), QStringLiteral("Bo"), QStringLiteral("'VIP'")),
            add.arg(QStringLiteral(" 姓 "), QStringLiteral("名字"), QStringLiteral("'客户'")),
            add.arg(QStringLiteral("模板"), QStringLiteral("模板"), QStringLiteral("'模板组'")),
            add.arg(QStringLiteral("无"), QStringLiteral("组"), QStringLiteral("NULL")),
        };
        QTest::newRow("added") << people << false << 3;
        QTest::newRow("moved, renamed, made reserved") << people
                + QStringList {
                      QStringLiteral("UPDATE Contacts SET Type = 'vip' WHERE Type IS NULL"),
                      QStringLiteral("UPDATE Contacts SET FirstName = '姓', LastName = "
                                     "'名字' WHERE FirstName = '王'"),
                      QStringLiteral("UPDATE Contacts SET FirstName = '张' WHERE "
                                     "trim(FirstName) = '姓' AND Type = '客户' AND "
                                     "FirstName <> '姓'")
                  } << false << 3;
        QTest::newRow("deleted to the last of a group") << people
                + QStringList { QStringLiteral("DELETE FROM Contacts WHERE Type = 'VIP'"),
                                QStringLiteral("DELETE FROM Contacts WHERE FirstName = '模板'") }
                                                        << false << 1;
        QTest::newRow("older file") << people << true << 3;
        // The shell's INSERT OR REPLACE deletes the row it replaces without the delete trigger.
        QTest::newRow("replaced by another program, analyzed") << people
                + QStringList { QStringLiteral("INSERT OR REPLACE INTO Contacts (ID, FirstName, "
                                               "LastName, Type) VALUES (1, '孙', '七', 'vip')"),
                                QStringLiteral("ANALYZE") } << false
                                                               << 3;
    }

    void groupCountsFollowEveryWrite()
    {
        QFETCH(QStringList, writes);
        QFETCH(bool, fromOlderFile);
        QFETCH(int, groups);
        TestSandbox sandbox;
        const QString file = sandbox.path(QStringLiteral("counts.cot"));
        QVERIFY(DataFileFactory::createDataFile(file));
        if (fromOlderFile) {
            for (const GroupCounts::Definition &made : GroupCounts::definitions())
                writes.prepend(QStringLiteral("DROP %1 %2").arg(made.type, made.name));
        }
        QVERIFY(RawSql::run(file, writes));
        auto opened = Database::open(file);
        QVERIFY(opened);
        QVERIFY(GroupCounts::ensure(*opened.value()));

        QList<QVariantList> kept;
        const auto read = GroupCounts::read(*opened.value(), [&](const QVariant &type, int listed) {
            kept.append({ type, listed });
        });
        QVERIFY(read && read.value());
        QList<QVariantList> counted;
        opened.value()->select(
            QStringLiteral("SELECT Type, SUM(CASE WHEN (trim(FirstName, ' ') = '姓' AND "
                           "trim(LastName, ' ') = '名字') OR (trim(FirstName, ' ') = '模板' AND "
                           "trim(LastName, ' ') = '模板') THEN 0 ELSE 1 END) FROM Contacts "
                           "WHERE Type IS NOT NULL GROUP BY Type"),
            {}, [&](const QSqlQuery &row) {
                counted.append({ row.value(0), row.value(1).toInt() });
            });
        QCOMPARE(counted.size(), groups);
        QCOMPARE(kept.size(), counted.size());
        for (qsizetype i = 0; i < kept.size(); ++i) {
            QCOMPARE(kept.at(i).at(0).toString().toCaseFolded(),
                     counted.at(i).at(0).toString().toCaseFolded());
            QCOMPARE(kept.at(i).at(1), counted.at(i).at(1));
        }
    }

    // Whoever writes a contact's row or kept card, its change counter passes every other.
    void changeCountersSeeEveryWrite_data()
    {
        QTest::addColumn<QString>("write");
        QTest::addColumn<QVariantList>("changed");
        QTest::newRow("nothing") << QStringLiteral("SELECT 1") << QVariantList {};
        QTest::newRow("edited") << QStringLiteral("UPDATE Contacts SET Notes = 'x' WHERE ID = 2")
                                << QVariantList { 2 };
        QTest::newRow("added") << QStringLiteral(
            "INSERT INTO Contacts (FirstName, LastName) VALUES ('赵', '六')")
                               << QVariantList { 4 };
        QTest::newRow("deleted") << QStringLiteral("DELETE FROM Contacts WHERE ID = 3")
                                 << QVariantList { 3 };
        QTest::newRow("replaced") << QStringLiteral(
            "INSERT OR REPLACE INTO Contacts (ID, FirstName, LastName) VALUES (1, '孙', '七')")
                                  << QVariantList { 1 };
        QTest::newRow("kept card") << QStringLiteral(
            "INSERT INTO ContactCards (ContactID, Card) VALUES (2, 'BEGIN:VCARD')")
                                   << QVariantList { 2 };
    }

    void changeCountersSeeEveryWrite()
    {
        QFETCH(QString, write);
        QFETCH(QVariantList, changed);
        TestSandbox sandbox;
        const QString file = sandbox.path(QStringLiteral("changes.cot"));
        QVERIFY(DataFileFactory::createDataFile(file));
        QVERIFY(RawSql::run(file,
                            { QStringLiteral("INSERT INTO Contacts (FirstName, LastName) "
                                             "VALUES ('张', '三'), ('李', '四'), ('王', "
                                             "'五')") }));
        {
            auto opened = Database::open(file);
            QVERIFY(opened);
            Transaction transaction(*opened.value());
            QVERIFY(transaction.begin());
            QCOMPARE(ContactChanges::ensure(*opened.value()).value(), true);
            QVERIFY(transaction.commit());
        }
        QVERIFY(RawSql::run(file, { write }));
        QVariantList seen;
        for (const QVariantList &row : RawSql::rows(
                 file, QStringLiteral("SELECT ContactID FROM ContactChanges WHERE Change > 1")))
            seen << row.first();
        QCOMPARE(seen, changed);
        QVERIFY2(Database::open(file), "the counters are the program's own objects");
    }

    // Another program writes while the file is open: the next read compares and mends.
    void countsComeRightAfterAnotherProgramsWrite()
    {
        TestSandbox sandbox;
        const QString file = sandbox.path(QStringLiteral("counts.cot"));
        QVERIFY(DataFileFactory::createDataFile(file));
        auto opened = Database::open(file);
        QVERIFY(opened);
        QVERIFY(GroupCounts::ensure(*opened.value()));
        const QString add = QStringLiteral(
            "INSERT INTO Contacts (FirstName, LastName, Type) VALUES ('%1', '%2', '%3')");
        for (const QString &row :
             { add.arg(QStringLiteral("王"), QStringLiteral("五"), QStringLiteral("朋友")),
               add.arg(QStringLiteral("赵"), QStringLiteral("六"), QStringLiteral("朋友")),
               add.arg(QStringLiteral("钱"), QStringLiteral("八"), QStringLiteral("客户")) })
            QVERIFY(opened.value()->execute(row));

        QVERIFY(RawSql::run(file,
                            { QStringLiteral("INSERT OR REPLACE INTO Contacts (ID, "
                                             "FirstName, LastName, Type) SELECT ID, '孙', "
                                             "'七', '客户' FROM Contacts WHERE FirstName = '王'"),
                              QStringLiteral("ANALYZE") }));
        QMap<QString, int> kept;
        const auto read = GroupCounts::read(*opened.value(), [&](const QVariant &type, int listed) {
            kept.insert(type.toString(), listed);
        });
        QVERIFY(read && read.value());
        QCOMPARE(
            kept,
            (QMap<QString, int> { { QStringLiteral("客户"), 2 }, { QStringLiteral("朋友"), 1 } }));
        QCOMPARE(
            RawSql::value(file, QStringLiteral("SELECT SUM(Rows) FROM ContactGroupCounts")).toInt(),
            3);
        QVERIFY2(Database::open(file), "the statistics ANALYZE wrote are no stranger");
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
