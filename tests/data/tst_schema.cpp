#include "RawSql.h"
#include "SqlWarnings.h"
#include "TestSandbox.h"
#include "data/DataFileFactory.h"
#include "data/Database.h"
#include "data/Schema.h"

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
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
