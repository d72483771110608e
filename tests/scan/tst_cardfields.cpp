#include "ScanFieldMap.h"
#include "cards/CardWriter.h"
#include "scan/CardFields.h"
#include "scan/QrCard.h"
#include "scan/ScannedContact.h"

#include <QtTest>

using Lines = QList<CardFields::PrintedLine>;
using FieldMap = QMap<QString, QString>;

namespace {

// A printed line at the given row of a card; rows are 40 pixels apart, lines 30 high, so
// consecutive rows read as one wrapped block.
CardFields::PrintedLine at(int row, const QString &text, int height = 30)
{
    return { text, 0.9, QRect(60, 40 + row * 40, 500, height) };
}

} // namespace

// Which field each printed line of a card fills, from the recognised text and its place.
class tst_CardFields : public QObject
{
    Q_OBJECT

private slots:
    void linesBecomeFields_data()
    {
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<FieldMap>("expected");

        QTest::newRow("Chinese card with labels")
            << Lines { at(0, QStringLiteral("张伟"), 60),
                       at(2, QStringLiteral("销售总监")),
                       at(3, QStringLiteral("北京华晨科技有限公司")),
                       at(5, QStringLiteral("地址：北京市朝阳区建国路88号")),
                       at(6, QStringLiteral("SOHO现代城A座2801室")),
                       at(7, QStringLiteral("邮编：100022")),
                       at(8, QStringLiteral("电话：010-6552 8888 转 801")),
                       at(9, QStringLiteral("手机：138 0013 8000")),
                       at(10, QStringLiteral("传真：010-6552 8899")),
                       at(11, QStringLiteral("邮箱：zhang.wei@huachen.cn")),
                       at(12, QStringLiteral("网址：www.huachen.cn")) }
            << FieldMap { { "family", "张" },
                          { "given", "伟" },
                          { "title", "销售总监" },
                          { "company", "北京华晨科技有限公司" },
                          { "address1", "北京市朝阳区建国路88号SOHO现代城A座2801室" },
                          { "postcode", "100022" },
                          { "numbers",
                            "电话 010-6552 8888 转 801 | 手机 138 0013 8000 | 传真 010-6552 8899" },
                          { "email", "zhang.wei@huachen.cn" },
                          { "website", "www.huachen.cn" } };
        QTest::newRow("compound surname, unlabelled numbers, slogan kept")
            << Lines { at(0, QStringLiteral("诸葛明远"), 60),
                       at(2, QStringLiteral("高级工程师")),
                       at(3, QStringLiteral("杭州云帆信息技术研究院")),
                       at(5, QStringLiteral("13912345678")),
                       at(6, QStringLiteral("+86 571 8888 6666")),
                       at(8, QStringLiteral("用心做好每一件事")) }
            << FieldMap { { "family", "诸葛" },
                          { "given", "明远" },
                          { "title", "高级工程师" },
                          { "company", "杭州云帆信息技术研究院" },
                          { "numbers", "手机 13912345678 | 电话 +86 571 8888 6666" },
                          { "other", "用心做好每一件事" } };
        QTest::newRow("English card, family name last, English labels")
            << Lines { at(0, QStringLiteral("David Miller"), 60),
                       at(2, QStringLiteral("Senior Product Manager")),
                       at(3, QStringLiteral("Northwind Trading Co., Ltd.")),
                       at(5, QStringLiteral("Floor 12, 88 Century Avenue")),
                       at(6, QStringLiteral("Pudong District, Shanghai 200120")),
                       at(7, QStringLiteral("T: +86 21 5012 3456 ext. 801")),
                       at(8, QStringLiteral("M: +86 139 1234 5678")),
                       at(9, QStringLiteral("F: +86 21 5012 3457")),
                       at(10, QStringLiteral("E: david.miller@northwind.com")),
                       at(11, QStringLiteral("W: northwind.com")) }
            << FieldMap { { "family", "Miller" },
                          { "given", "David" },
                          { "title", "Senior Product Manager" },
                          { "company", "Northwind Trading Co., Ltd." },
                          { "address1", "Floor 12, 88 Century Avenue Pudong District, Shanghai" },
                          { "postcode", "200120" },
                          { "numbers",
                            "电话 +86 21 5012 3456 ext. 801 | 手机 +86 139 1234 5678 | "
                            "传真 +86 21 5012 3457" },
                          { "email", "david.miller@northwind.com" },
                          { "website", "northwind.com" } };
        QTest::newRow("bilingual: Chinese fills the fields, English kept beside")
            << Lines { at(0, QStringLiteral("李小龙"), 60),
                       at(2, QStringLiteral("Bruce Li")),
                       at(3, QStringLiteral("技术总监")),
                       at(4, QStringLiteral("Technical Director")),
                       at(5, QStringLiteral("深圳前海微众数据有限公司")),
                       at(6, QStringLiteral("Shenzhen Qianhai Data Co., Ltd.")),
                       at(8, QStringLiteral("深圳市南山区科技园路1号")),
                       at(10, QStringLiteral("No. 1 Keji Road, Nanshan District, Shenzhen")),
                       at(12, QStringLiteral("Tel 0755-8610 2233")) }
            << FieldMap { { "family", "李" },
                          { "given", "小龙" },
                          { "title", "技术总监" },
                          { "company", "深圳前海微众数据有限公司" },
                          { "address1", "深圳市南山区科技园路1号" },
                          { "numbers", "电话 0755-8610 2233" },
                          { "english.name", "Bruce Li" },
                          { "english.title", "Technical Director" },
                          { "english.company", "Shenzhen Qianhai Data Co., Ltd." },
                          { "english.address", "No. 1 Keji Road, Nanshan District, Shenzhen" },
                          { "alternates",
                            "FN;ALTID=1:李小龙|FN;ALTID=1;LANGUAGE=en:Bruce Li|"
                            "TITLE;ALTID=2:技术总监|TITLE;ALTID=2;LANGUAGE=en:Technical Director|"
                            "ORG;ALTID=3:深圳前海微众数据有限公司|"
                            "ORG;ALTID=3;LANGUAGE=en:Shenzhen Qianhai Data Co.\\, Ltd.|"
                            "ADR;TYPE=work;ALTID=4:;;深圳市南山区科技园路1号;;;;|"
                            "ADR;TYPE=work;ALTID=4;LANGUAGE=en:;;No. 1 Keji Road\\, Nanshan "
                            "District\\, Shenzhen;;;;" } };
        QTest::newRow("a second address is kept, not joined to the first")
            << Lines { at(0, QStringLiteral("王芳"), 60),
                       at(2, QStringLiteral("总部：上海市徐汇区漕溪北路398号")),
                       at(4, QStringLiteral("北京分部：北京市海淀区中关村大街27号")),
                       at(5, QStringLiteral("手机 186-0101-2345")) }
            << FieldMap { { "family", "王" },
                          { "given", "芳" },
                          { "address1", "总部：上海市徐汇区漕溪北路398号" },
                          { "numbers", "手机 186-0101-2345" },
                          { "other", "北京分部：北京市海淀区中关村大街27号" } };
        QTest::newRow("the largest short line is the name")
            << Lines { at(0, QStringLiteral("客户至上")), at(2, QStringLiteral("陈静"), 64),
                       at(4, QStringLiteral("Cell: 13512345678")) }
            << FieldMap { { "family", "陈" },
                          { "given", "静" },
                          { "numbers", "手机 13512345678" },
                          { "other", "客户至上" } };
    }

    void linesBecomeFields()
    {
        QFETCH(Lines, lines);
        QFETCH(FieldMap, expected);
        // The kept card's English alternates, one line each, rather than lines of the notes.
        const QString alternates = expected.take(QStringLiteral("alternates"));
        const ScanResult scan = CardFields::classify(lines);
        QCOMPARE(fieldMap(scan), expected);
        const ContactRecord row = ScannedContact::toContact(scan, QString());
        QCOMPARE(QString(row.notes).replace(u'\n', QStringLiteral(" | ")),
                 expected.value(QStringLiteral("other")));
        const QString kept = QString::fromUtf8(
            CardWriter::keep(ScannedContact::toCard(scan, row)).replace("\r\n ", ""));
        QStringList altLines;
        for (const QString &line : kept.split(QStringLiteral("\r\n"))) {
            if (line.contains(QStringLiteral("ALTID")))
                altLines << line;
        }
        QCOMPARE(altLines.join(u'|'), alternates);
        QVERIFY(scan.familyName.confidence > 0 && scan.familyName.confidence <= 1);
        QCOMPARE(scan.familyName.box,
                 lines.first().box.height() == 60 ? lines.first().box : lines.at(1).box);
    }

    void qrContactsAreRead_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<FieldMap>("expected");

        QTest::newRow("vCard 3.0")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:欧阳;明华;;;\r\nFN:欧阳明华\r\n"
                          "ORG:华晨科技\r\nTITLE:总监\r\nTEL;TYPE=CELL:13800138000\r\n"
                          "EMAIL:oy@hc.cn\r\nEND:VCARD\r\n")
            << FieldMap { { "family", "欧阳" },
                          { "given", "明华" },
                          { "company", "华晨科技" },
                          { "title", "总监" },
                          { "numbers", "手机 13800138000" },
                          { "email", "oy@hc.cn" } };
        QTest::newRow("vCard 4.0 with a tel URI")
            << QByteArray("BEGIN:VCARD\nVERSION:4.0\nFN:Anna Berg\nN:Berg;Anna;;;\n"
                          "TEL;VALUE=uri;TYPE=fax:tel:+46-8-123\nEND:VCARD\n")
            << FieldMap { { "family", "Berg" },
                          { "given", "Anna" },
                          { "numbers", "传真 +46-8-123" } };
        QTest::newRow("MECARD with escapes")
            << QByteArray("MECARD:N:周,杰;TEL:13911112222;EMAIL:zj@example.cn;"
                          "ADR:海淀区\\;中关村1号;URL:https\\://example.cn;NOTE:见面聊\\, 周五;;")
            << FieldMap { { "family", "周" },
                          { "given", "杰" },
                          { "numbers", "电话 13911112222" },
                          { "email", "zj@example.cn" },
                          { "address1", "海淀区;中关村1号" },
                          { "website", "https://example.cn" },
                          { "other", "见面聊, 周五" } };
    }

    void qrContactsAreRead()
    {
        QFETCH(QByteArray, payload);
        QFETCH(FieldMap, expected);
        const std::optional<ScanResult> scan = QrCard::read(payload);
        QVERIFY(scan);
        QCOMPARE(scan->source, ScanResult::Source::Qr);
        QCOMPARE(fieldMap(*scan), expected);
    }

    void otherQrTextIsNoContact()
    {
        QVERIFY(!QrCard::read("https://example.cn/promo"));
        QVERIFY(!QrCard::read("MECARD:;;"));
        QVERIFY(!QrCard::read(QByteArray()));
    }
};

QTEST_GUILESS_MAIN(tst_CardFields)
#include "tst_cardfields.moc"
