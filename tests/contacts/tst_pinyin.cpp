#include "contacts/PinyinKeys.h"
#include "contacts/PinyinMatcher.h"
#include "contacts/TextOrder.h"

#include <QtTest>

class TestPinyin : public QObject
{
    Q_OBJECT

private slots:
    void keywordsMatchThePinyinOfNameAndCompany_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("company");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<bool>("matches");
        const auto row = [](const char *first, const char *last, const char *company,
                            const char *keyword, bool matches) {
            QTest::addRow("%s%s %s: %s", first, last, company, keyword)
                << QString::fromUtf8(first) << QString::fromUtf8(last) << QString::fromUtf8(company)
                << QString::fromUtf8(keyword) << matches;
        };
        for (const char *keyword :
             { "zsf", "zhangsanfeng", "zhangs", "zsanf", "sanfeng", "sf", "ZSF", "ZhangSan" })
            row("张", "三丰", "", keyword, true);
        for (const char *keyword : { "zf", "zhangf", "zhangsanfengg", "hzsf" })
            row("张", "三丰", "", keyword, false);
        row(" 张 ", " 三丰", "", "zsf", true);
        row("尉迟", "恭", "", "yuchigong", true);
        row("尉迟", "恭", "", "weichi", false);
        row("万俟", "明", "", "mqm", true);
        row("长孙", "无忌", "", "zhangsunwj", true);
        row("长孙", "无忌", "", "csw", false);
        row("曾", "国藩", "", "zgf", true);
        row("曾", "国藩", "", "cgf", false);
        row("单", "田芳", "", "shantf", true);
        row("李", "重阳", "", "lcy", true);
        row("李", "重阳", "", "lzy", true);
        row("王", "行", "", "wh", true);
        row("王", "行", "", "wangxing", true);
        row("吕", "布", "", "lvbu", true);
        row("吕", "布", "", "lubu", true);
        row("王", "五", "华信科技", "hxkj", true);
        row("王", "五", "华信科技", "xinke", true);
        // A run never crosses from the name into the company name.
        row("王", "五", "华信科技", "wuhua", false);
        // Latin text is matched only as typed, by the ordinary search.
        row("Smith", "Anna", "Acme", "smith", false);
        row("Smith", "Anna", "Acme", "Anna", false);
        row("Anna张", "", "", "z", true);
        for (const char *keyword : { "z1", "z-s", "z s", "" })
            row("张", "三丰", "", keyword, false);
        row("张", "三丰", "", "\xe5\xbc\xa0s", false);
        // The Kelvin sign lower-cases to k.
        row("孔", "明", "", "\xe2\x84\xaam", false);
    }

    void keywordsMatchThePinyinOfNameAndCompany()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, company);
        QFETCH(QString, keyword);
        QFETCH(bool, matches);
        const PinyinKeys keys = PinyinKeys::forContact(first, last, company);
        QCOMPARE(PinyinMatcher::matches(keys, keyword), matches);
    }

    void textsStandInPinyinOrder_data()
    {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<bool>("names");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("Han among Latin, digits first")
            << QStringList { QStringLiteral("张三"),  QStringLiteral("陈红"),
                             QStringLiteral("Bob"),   QStringLiteral("白洁"),
                             QStringLiteral("Anna"),  QStringLiteral("阿明"),
                             QStringLiteral("3号楼"), QString() }
            << false
            << QStringList { QString(),
                             QStringLiteral("3号楼"),
                             QStringLiteral("阿明"),
                             QStringLiteral("Anna"),
                             QStringLiteral("白洁"),
                             QStringLiteral("Bob"),
                             QStringLiteral("陈红"),
                             QStringLiteral("张三") };
        const QStringList surnames { QStringLiteral("张三"), QStringLiteral("曾国藩"),
                                     QStringLiteral("陈红") };
        QTest::newRow("曾 as a word reads ceng")
            << surnames << false
            << QStringList { QStringLiteral("曾国藩"), QStringLiteral("陈红"),
                             QStringLiteral("张三") };
        QTest::newRow("曾 as a family name reads zeng")
            << surnames << true
            << QStringList { QStringLiteral("陈红"), QStringLiteral("曾国藩"),
                             QStringLiteral("张三") };
    }

    void textsStandInPinyinOrder()
    {
        QFETCH(QStringList, texts);
        QFETCH(bool, names);
        QFETCH(QStringList, expected);
        const auto start = names ? TextOrder::Start::Name : TextOrder::Start::Text;
        QStringList sorted;
        for (const int position : TextOrder::ascending(texts, start))
            sorted << texts.at(position);
        QCOMPARE(sorted, expected);
        for (qsizetype i = 1; i < sorted.size(); ++i) {
            QVERIFY(TextOrder::lessThan(sorted.at(i - 1), sorted.at(i), start));
            QVERIFY(!TextOrder::lessThan(sorted.at(i), sorted.at(i - 1), start));
        }
    }
};

QTEST_GUILESS_MAIN(TestPinyin)
#include "tst_pinyin.moc"
