#include "ContactFixture.h"
#include "RawSql.h"
#include "SandboxedDataFile.h"
#include "SqlWarnings.h"
#include "contacts/ContactNames.h"
#include "contacts/ContactSearch.h"
#include "contacts/TextOrder.h"
#include "data/Database.h"
#include "data/Transaction.h"

#include <QtTest>

using Ids = QList<qint64>;

class TestContactSearch : public QObject, protected SandboxedDataFile
{
    Q_OBJECT

private:
    QVariantMap fields(std::initializer_list<std::pair<const char *, QString>> pairs)
    {
        QVariantMap map;
        for (const auto &[name, value] : pairs)
            map.insert(QLatin1String(name), value);
        return map;
    }

    // IDs 1 to 8 in this order; 4 is the template and 5 the placeholder.
    void addContacts()
    {
        Transaction transaction(*database);
        QVERIFY(transaction.begin());
        addContact(*database, QStringLiteral("张"), QStringLiteral("三"),
                   fields({ { "Title", QStringLiteral("经理") },
                            { "CompanyName", QStringLiteral("华信科技有限公司") },
                            { "Combo1", QStringLiteral("手机") },
                            { "Data1", QStringLiteral("13800000000") },
                            { "Email", QStringLiteral("zhang@example.cn") } }));
        addContact(*database, QStringLiteral("李"), QStringLiteral("四"),
                   fields({ { "CompanyName", QStringLiteral("Acme Corp") },
                            { "Combo2", QStringLiteral("手机") },
                            { "Data2", QStringLiteral("13900000000") },
                            { "Notes", QStringLiteral("喜欢喝茶") } }));
        addContact(*database, QStringLiteral("王"), QStringLiteral("五"),
                   fields({ { "Notes", QStringLiteral("张三的朋友") },
                            { "Email", QStringLiteral("WANG@EXAMPLE.CN") } }));
        addContact(*database, QStringLiteral("模板"), QStringLiteral("模板"),
                   fields({ { "CompanyName", QStringLiteral("Acme Corp") },
                            { "Notes", QStringLiteral("张 手机 经理 模板 名字") } }));
        addContact(*database, QStringLiteral("姓"), QStringLiteral("名字"),
                   fields({ { "Title", QStringLiteral("经理") },
                            { "Notes", QStringLiteral("张 手机 Acme") } }));
        addContact(*database, QStringLiteral(" 欧阳 "), QStringLiteral("  明 "),
                   fields({ { "Title", QStringLiteral(" 主管 ") },
                            { "CompanyName", QStringLiteral("蓝天软件 ") },
                            { "Address1", QStringLiteral(" 北京市") },
                            { "Address2", QStringLiteral("中山路 ") },
                            { "Type", QStringLiteral("同事") },
                            { "Combo3", QStringLiteral("传真") },
                            { "Data3", QStringLiteral("010-88888888") },
                            { "Postcode", QStringLiteral(" 100000") } }));
        addContact(*database, QStringLiteral("模板"), QStringLiteral("其他"));
        addContact(*database, QStringLiteral("Smith"), QStringLiteral("Anna"),
                   fields({ { "CompanyName", QStringLiteral("Globex GmbH") },
                            { "Website", QStringLiteral("http://www.globex.example") } }));
        QVERIFY(transaction.commit());
    }

    static Ids idsOf(const SearchResult &result)
    {
        Ids ids;
        for (const ContactRow &row : result.rows)
            ids << row.id;
        return ids;
    }

private slots:
    void init() { QVERIFY(openDataFile()); }

    void cleanup() { closeDataFile(); }

    void findsContactsHoldingAnyKeyword_data()
    {
        QTest::addColumn<QString>("keyText");
        QTest::addColumn<Ids>("expected");
        const Ids everyone { 8, 7, 6, 3, 2, 1 };
        QTest::newRow("star lists all") << QStringLiteral("*") << everyone;
        QTest::newRow("empty text lists all") << QString() << everyone;
        QTest::newRow("prompt lists all") << QStringLiteral("请在此输入搜索关键字") << everyone;
        QTest::newRow("prompt with a blank is a keyword")
            << QStringLiteral("请在此输入搜索关键字 ") << Ids {};
        QTest::newRow("two stars are a keyword") << QStringLiteral("**") << Ids {};
        QTest::newRow("whole family name") << QStringLiteral("张") << Ids { 3, 1 };
        QTest::newRow("family and given name in one field only")
            << QStringLiteral("张三") << Ids { 3 };
        QTest::newRow("family and given name as two keywords")
            << QStringLiteral("张 三") << Ids { 3, 1 };
        QTest::newRow("capitalised word") << QStringLiteral("Acme") << Ids { 2 };
        QTest::newRow("lower case misses capitals") << QStringLiteral("acme") << Ids {};
        QTest::newRow("upper case misses lower case") << QStringLiteral("ZHANG") << Ids {};
        QTest::newRow("leading blank finds nothing") << QStringLiteral(" 张") << Ids {};
        QTest::newRow("two blanks use only the first keyword")
            << QStringLiteral("李  张") << Ids { 2 };
        QTest::newRow("trailing blank is harmless") << QStringLiteral("张 ") << Ids { 3, 1 };
        QTest::newRow("blanks only") << QStringLiteral("   ") << Ids {};
        QTest::newRow("full-width blank is part of the keyword")
            << QStringLiteral("张　李") << Ids {};
        QTest::newRow("number label") << QStringLiteral("手机") << Ids { 2, 1 };
        QTest::newRow("two keywords in one contact listed once")
            << QStringLiteral("经理 华信 张") << Ids { 3, 1 };
        QTest::newRow("template and placeholder never listed")
            << QStringLiteral("模板 名字 姓") << Ids { 7 };
        QTest::newRow("identity is not searched") << QStringLiteral("2") << Ids {};
        QTest::newRow("untrimmed address field") << QStringLiteral("中山路") << Ids { 6 };
        QTest::newRow("relationship group") << QStringLiteral("同事") << Ids { 6 };
        QTest::newRow("notes") << QStringLiteral("喝茶") << Ids { 2 };
        QTest::newRow("field the list does not show") << QStringLiteral("www.globex") << Ids { 8 };
        QTest::newRow("keywords never span fields") << QStringLiteral("SmithAnna") << Ids {};
    }

    void findsContactsHoldingAnyKeyword()
    {
        QFETCH(QString, keyText);
        QFETCH(Ids, expected);
        addContacts();
        const auto found = ContactSearch::run(*database, keyText);
        QVERIFY2(found, qPrintable(found.message()));
        QCOMPARE(idsOf(found.value()), expected);
        QCOMPARE(found.value().contactsRead, 8);
    }

    void rowsHoldTrimmedTexts()
    {
        addContacts();
        const auto found = ContactSearch::run(*database, QStringLiteral("蓝天"));
        QVERIFY2(found, qPrintable(found.message()));
        QCOMPARE(found.value().rows.size(), 1);
        const ContactRow &row = found.value().rows.first();
        QCOMPARE(row.id, 6);
        QCOMPARE(row.displayName, QStringLiteral("欧阳 明"));
        QCOMPARE(
            row.columnTexts(),
            QStringList({ QStringLiteral("主管"), QStringLiteral("蓝天软件"), QString(), QString(),
                          QStringLiteral("北京市 中山路"), QStringLiteral("同事") }));
        QCOMPARE(row.postcode, QStringLiteral("100000"));
        QCOMPARE(row.labels[2], QStringLiteral("传真"));
        QCOMPARE(row.numbers[2], QStringLiteral("010-88888888"));
        QVERIFY(row.labels[0].isEmpty());
    }

    void emptyFileGivesNoRows()
    {
        const auto found = ContactSearch::run(*database, QStringLiteral("*"));
        QVERIFY2(found, qPrintable(found.message()));
        QVERIFY(found.value().rows.isEmpty());
        QCOMPARE(found.value().contactsRead, 0);
    }

    void namesWithQuotesAndPercentAreFound()
    {
        const qint64 id = addContact(*database, QStringLiteral("O'Brien"), QStringLiteral("100%"));
        addContact(*database, QStringLiteral("别人"), QStringLiteral("名"));
        const auto found = ContactSearch::run(*database, QStringLiteral("O'B 0%"));
        QVERIFY2(found, qPrintable(found.message()));
        QCOMPARE(idsOf(found.value()), Ids { id });
    }

    void readFailureIsReported()
    {
        addContacts();
        QVERIFY(RawSql::run(file, { QStringLiteral("DROP TABLE Contacts") }));
        const auto found = ContactSearch::run(*database, QStringLiteral("张"));
        QVERIFY(!found);
        QVERIFY(!found.message().isEmpty());
    }

    void reservedNames_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<bool>("reserved");
        QTest::newRow("placeholder") << QStringLiteral("姓") << QStringLiteral("名字") << true;
        QTest::newRow("template") << QStringLiteral("模板") << QStringLiteral("模板") << true;
        QTest::newRow("placeholder with outer blanks")
            << QStringLiteral(" 姓 ") << QStringLiteral("名字  ") << true;
        QTest::newRow("template family name only")
            << QStringLiteral("模板") << QStringLiteral("其他") << false;
        QTest::newRow("names swapped") << QStringLiteral("名字") << QStringLiteral("姓") << false;
        QTest::newRow("whole name in one part") << QStringLiteral("姓 名字") << QString() << false;
        QTest::newRow("tab is not a blank")
            << QStringLiteral("姓\t") << QStringLiteral("名字") << false;
    }

    void reservedNames()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(bool, reserved);
        QCOMPARE(ContactNames::isReserved(first, last), reserved);
        QCOMPARE(ContactNames::isReserved(ContactNames::displayName(first, last)), reserved);
    }

    void columnOrder_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("pinyin") << QStringList { QStringLiteral("张三"), QStringLiteral("李四"),
                                                 QStringLiteral("阿明"), QStringLiteral("王五"),
                                                 QStringLiteral("欧阳") }
                                << QStringList { QStringLiteral("阿明"), QStringLiteral("李四"),
                                                 QStringLiteral("欧阳"), QStringLiteral("王五"),
                                                 QStringLiteral("张三") };
        QTest::newRow("other texts first, empty first of all")
            << QStringList { QStringLiteral("华信"), QStringLiteral("Acme"), QString(),
                             QStringLiteral("3号楼") }
            << QStringList { QString(), QStringLiteral("3号楼"), QStringLiteral("Acme"),
                             QStringLiteral("华信") };
        QTest::newRow("equal texts keep their order") << QStringList {
            QStringLiteral("同事"), QStringLiteral("朋友"), QStringLiteral("同事")
        } << QStringList { QStringLiteral("朋友"), QStringLiteral("同事"), QStringLiteral("同事") };
    }

    void columnOrder()
    {
        QFETCH(QStringList, texts);
        QFETCH(QStringList, expected);
        QStringList sorted;
        for (const int position : TextOrder::ascending(texts))
            sorted << texts.at(position);
        QCOMPARE(sorted, expected);
    }

    void equalTextsKeepTheirPositions()
    {
        const QStringList texts { QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("b"),
                                  QStringLiteral("a") };
        QCOMPARE(TextOrder::ascending(texts), QList<int>({ 1, 3, 0, 2 }));
    }
};

QTEST_GUILESS_MAIN(TestContactSearch)
#include "tst_contactsearch.moc"
