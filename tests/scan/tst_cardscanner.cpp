#include "CardPictures.h"
#include "ScanFieldMap.h"
#include "scan/CardScanner.h"

#include <QtTest>

using FieldMap = QMap<QString, QString>;
using CardPictures::Design;

namespace {

enum class Taken { Scan, Photo, TurnedScan, TurnedPhoto };

Design chineseCard()
{
    Design card;
    card.name = QStringLiteral("欧阳明华");
    card.title = QStringLiteral("销售总监");
    card.headLines = { QStringLiteral("北京华晨科技有限公司") };
    card.lines = { QStringLiteral("地址：北京市朝阳区建国路88号"),
                   QStringLiteral("SOHO现代城A座2801室"),
                   QStringLiteral("邮编：100022"),
                   QStringLiteral("电话：010-6552 8888 转 801"),
                   QStringLiteral("手机：138 0013 8000"),
                   QStringLiteral("邮箱：ouyang.mh@huachen-tech.cn"),
                   QStringLiteral("网址：www.huachen-tech.cn") };
    return card;
}

const FieldMap chineseFields {
    { "family", "欧阳" },
    { "given", "明华" },
    { "title", "销售总监" },
    { "company", "北京华晨科技有限公司" },
    { "address1", "北京市朝阳区建国路88号SOHO现代城A座2801室" },
    { "postcode", "100022" },
    { "numbers", "电话 010-6552 8888 转 801 | 手机 138 0013 8000" },
    { "email", "ouyang.mh@huachen-tech.cn" },
    { "website", "www.huachen-tech.cn" },
};

Design englishCard()
{
    Design card;
    card.name = QStringLiteral("Laura Bennett");
    card.title = QString();
    card.headLines
        = { QStringLiteral("Marketing Director"), QStringLiteral("Brightwave Media Inc.") };
    card.lines
        = { QStringLiteral("21 Harbour Street, Suite 400"), QStringLiteral("13801234567"),
            QStringLiteral("Fax: 0755-2345 6789"), QStringLiteral("laura.bennett@brightwave.com") };
    return card;
}

const FieldMap englishFields {
    { "family", "Bennett" },
    { "given", "Laura" },
    { "title", "Marketing Director" },
    { "company", "Brightwave Media Inc." },
    { "address1", "21 Harbour Street, Suite 400" },
    { "numbers", "手机 13801234567 | 传真 0755-2345 6789" },
    { "email", "laura.bennett@brightwave.com" },
};

Design bilingualCard()
{
    Design card;
    card.name = QStringLiteral("司马静");
    card.title = QStringLiteral("律师");
    card.headLines = { QStringLiteral("Jing Sima  Lawyer"), QStringLiteral("上海明德律师事务所") };
    card.lines
        = { QStringLiteral("上海市静安区南京西路1266号"), QStringLiteral("Tel: 021-6288 1234"),
            QStringLiteral("jing.sima@mingde-law.cn") };
    return card;
}

const FieldMap bilingualFields {
    { "family", "司马" },
    { "given", "静" },
    { "title", "律师" },
    { "company", "上海明德律师事务所" },
    { "address1", "上海市静安区南京西路1266号" },
    { "numbers", "电话 021-6288 1234" },
    { "email", "jing.sima@mingde-law.cn" },
    { "english.name", "Jing Sima" },
    { "english.title", "Lawyer" },
};

QByteArray imageOf(const Design &design, Taken taken, double degrees)
{
    const QImage card = CardPictures::printed(design);
    CardPictures::Camera camera;
    camera.turn = degrees;
    switch (taken) {
    case Taken::Scan:
        return CardPictures::png(card);
    case Taken::TurnedScan:
        return CardPictures::png(CardPictures::turned(card, degrees));
    case Taken::Photo:
    case Taken::TurnedPhoto:
        return CardPictures::photographed(card, camera);
    }
    return {};
}

} // namespace

// Whole card images, made like real cards and photos, read into fields. Each card costs the
// recogniser about a second, so a few representative ones stand for the many.
class tst_CardScanner : public QObject
{
    Q_OBJECT

    std::unique_ptr<CardScanner> scanner;

private slots:
    void initTestCase()
    {
        auto created = CardScanner::create();
        QVERIFY2(created, qPrintable(created.message()));
        scanner = created.takeValue();
    }

    void printedCardsAreRead_data()
    {
        QTest::addColumn<Design>("design");
        QTest::addColumn<Taken>("taken");
        QTest::addColumn<double>("degrees");
        QTest::addColumn<FieldMap>("expected");

        QTest::newRow("Chinese, scanned") << chineseCard() << Taken::Scan << 0.0 << chineseFields;
        QTest::newRow("Chinese, photographed at an angle")
            << chineseCard() << Taken::Photo << 0.0 << chineseFields;
        QTest::newRow("English, photographed on its side")
            << englishCard() << Taken::TurnedPhoto << 90.0 << englishFields;
        QTest::newRow("English, scanned upside down")
            << englishCard() << Taken::TurnedScan << 180.0 << englishFields;
        QTest::newRow("bilingual, scanned crooked")
            << bilingualCard() << Taken::TurnedScan << -8.0 << bilingualFields;
    }

    void printedCardsAreRead()
    {
        QFETCH(Design, design);
        QFETCH(Taken, taken);
        QFETCH(double, degrees);
        QFETCH(FieldMap, expected);
        const auto scan = scanner->scan(imageOf(design, taken, degrees));
        QVERIFY2(scan, qPrintable(scan.message()));
        QCOMPARE(scan.value().source, ScanResult::Source::Ocr);
        QCOMPARE(fieldMap(scan.value()), expected);
    }

    void qrCodeIsTheAnswer_data()
    {
        QTest::addColumn<QByteArray>("qrText");
        QTest::addColumn<Taken>("taken");
        QTest::addColumn<FieldMap>("expected");

        // The print says less than the code: the code wins, the print fills the web site.
        QTest::newRow("vCard, scanned")
            << QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nN:欧阳;明华;;;\r\nFN:欧阳明华\r\n"
                          "ORG:北京华晨科技有限公司\r\nTEL;TYPE=CELL:+86 138 0013 8000\r\n"
                          "EMAIL:mh@huachen-tech.cn\r\nEND:VCARD\r\n")
            << Taken::Scan
            << FieldMap { { "family", "欧阳" },
                          { "given", "明华" },
                          { "title", "销售总监" },
                          { "company", "北京华晨科技有限公司" },
                          { "numbers", "手机 +86 138 0013 8000 | 电话 010-6552 8888 转 801" },
                          { "email", "mh@huachen-tech.cn" },
                          { "website", "www.huachen-tech.cn" } };
        QTest::newRow("MECARD, photographed")
            << QByteArray("MECARD:N:欧阳,明华;TEL:13800138000;EMAIL:mh@huachen-tech.cn;"
                          "URL:https\\://huachen-tech.cn;;")
            << Taken::Photo
            << FieldMap { { "family", "欧阳" },
                          { "given", "明华" },
                          { "title", "销售总监" },
                          { "company", "北京华晨科技有限公司" },
                          { "numbers", "电话 13800138000 | 电话 010-6552 8888 转 801" },
                          { "email", "mh@huachen-tech.cn" },
                          { "website", "https://huachen-tech.cn" } };
    }

    void qrCodeIsTheAnswer()
    {
        QFETCH(QByteArray, qrText);
        QFETCH(Taken, taken);
        QFETCH(FieldMap, expected);
        Design design;
        design.name = QStringLiteral("欧阳明华");
        design.title = QStringLiteral("销售总监");
        design.headLines = { QStringLiteral("北京华晨科技有限公司") };
        design.lines = { QStringLiteral("电话：010-6552 8888 转 801"),
                         QStringLiteral("网址：www.huachen-tech.cn") };
        design.qrText = qrText;
        const auto scan = scanner->scan(imageOf(design, taken, 0));
        QVERIFY2(scan, qPrintable(scan.message()));
        QCOMPARE(scan.value().source, ScanResult::Source::Qr);
        QCOMPARE(fieldMap(scan.value()), expected);
    }

    void nonImagesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("text") << QByteArray("BEGIN:VCARD\r\nEND:VCARD\r\n");
        // A PNG header claiming 100000 × 100000 pixels, refused before anything is decoded.
        QTest::newRow("huge PNG") << QByteArray::fromHex(
            "89504e470d0a1a0a0000000d49484452000186a0000186a00806000000");
        QTest::newRow("truncated JPEG") << QByteArray::fromHex("ffd8ffe000104a46494600");
    }

    void nonImagesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!scanner->scan(bytes));
    }
};

QTEST_MAIN(tst_CardScanner)
#include "tst_cardscanner.moc"
