#include "RawSql.h"
#include "SqlWarnings.h"
#include "data/Database.h"
#include "data/Schema.h"

#include <QtTest>

// The files the build writes beside the program.
class TestSchema : public QObject
{
    Q_OBJECT

private slots:
    void init() { failOnSqlWarnings(); }

    void generatedFilesHoldTheSchemaAccountsAndCategories_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("default data file") << QStringLiteral(ZORVANE_BIN_DIR "/MyData.cot");
        QTest::newRow("template") << QStringLiteral(ZORVANE_BIN_DIR "/Maindat.dat");
    }

    void generatedFilesHoldTheSchemaAccountsAndCategories()
    {
        QFETCH(QString, file);
        QVERIFY2(Database::open(file), "the generated file must pass the program's own checks");

        const QStringList contactColumns {
            QStringLiteral("ID"),       QStringLiteral("FirstName"), QStringLiteral("LastName"),
            QStringLiteral("Title"),    QStringLiteral("Type"),      QStringLiteral("CompanyName"),
            QStringLiteral("Address1"), QStringLiteral("Address2"),  QStringLiteral("Address3"),
            QStringLiteral("Postcode"), QStringLiteral("Data1"),     QStringLiteral("Data2"),
            QStringLiteral("Data3"),    QStringLiteral("Data4"),     QStringLiteral("Combo1"),
            QStringLiteral("Combo2"),   QStringLiteral("Combo3"),    QStringLiteral("Combo4"),
            QStringLiteral("Email"),    QStringLiteral("Website"),   QStringLiteral("Notes"),
        };
        QStringList actual;
        for (const QVariantList &row :
             RawSql::rows(file, QStringLiteral("SELECT name FROM pragma_table_info('Contacts')")))
            actual << row.first().toString();
        QCOMPARE(actual, contactColumns);
        QCOMPARE(RawSql::value(
                     file,
                     QStringLiteral(
                         "SELECT group_concat(name, ',') FROM pragma_table_info('ContactType')"))
                     .toString(),
                 QStringLiteral("ID,Name,Type,Number,Description"));
        QCOMPARE(
            RawSql::value(
                file,
                QStringLiteral("SELECT group_concat(name, ',') FROM pragma_table_info('Users')"))
                .toString()
                .section(QLatin1Char(','), 1),
            QStringLiteral("UserName,Password,access,Lastlogin"));
        QCOMPARE(
            RawSql::value(file,
                          QStringLiteral(
                              "SELECT group_concat(name, ',') FROM pragma_table_info('Reminders')"))
                .toString(),
            QStringLiteral("ID,item,Done,Date"));

        QCOMPARE(RawSql::value(file,
                               QStringLiteral(
                                   "SELECT COUNT(*) FROM Users WHERE access = 1 AND Password = ''"))
                     .toInt(),
                 1);
        QCOMPARE(
            RawSql::value(
                file,
                QStringLiteral("SELECT COUNT(*) FROM Users WHERE access <> 1 AND Password = ''"))
                .toInt(),
            1);
        QCOMPARE(RawSql::value(
                     file,
                     QStringLiteral(
                         "SELECT COUNT(*) FROM ContactType WHERE Type = 3 AND Name = '其他方面'"))
                     .toInt(),
                 1);
        QCOMPARE(RawSql::value(file,
                               QStringLiteral("SELECT COUNT(*) FROM ContactType WHERE Type = 2 AND "
                                              "Name IN ('电话', '手机', '传真', '寻呼机')"))
                     .toInt(),
                 4);
        QVERIFY(
            RawSql::value(file, QStringLiteral("SELECT COUNT(*) FROM ContactType WHERE Type = 1"))
                .toInt()
            > 0);
        QCOMPARE(RawSql::value(file, QStringLiteral("PRAGMA application_id")).toInt(),
                 Schema::applicationId);
        QCOMPARE(RawSql::value(file, QStringLiteral("PRAGMA journal_mode")).toString(),
                 QStringLiteral("delete"));
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"
