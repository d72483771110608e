#include "ScanFieldMap.h"
#include "scan/ContactQrCode.h"
#include "scan/QrCard.h"

#include <QtTest>
#include <opencv2/core.hpp>

using FieldMap = QMap<QString, QString>;

namespace {

// The code as a camera would see it: four pixels a module, a quiet zone of four modules.
cv::Mat pictureOf(const QrCode &code)
{
    constexpr int scale = 4;
    const int side = (code.size + 8) * scale;
    cv::Mat picture(side, side, CV_8UC1, cv::Scalar(255));
    for (int y = 0; y < code.size; ++y) {
        for (int x = 0; x < code.size; ++x) {
            if (code.isDark(x, y))
                picture(cv::Rect((x + 4) * scale, (y + 4) * scale, scale, scale)).setTo(0);
        }
    }
    return picture;
}

ContactRecord contact()
{
    ContactRecord record;
    record.firstName = QStringLiteral("欧阳");
    record.lastName = QStringLiteral("明华");
    record.title = QStringLiteral("销售总监");
    record.companyName = QStringLiteral("北京华晨科技有限公司");
    record.address1 = QStringLiteral("北京市朝阳区建国路88号");
    record.postcode = QStringLiteral("100022");
    record.numbers = { QStringLiteral("138 0013 8000"), QStringLiteral("010-6552 8888"), {}, {} };
    record.labels = { QStringLiteral("手机"), QStringLiteral("传真"), {}, {} };
    record.email = QStringLiteral("mh@huachen-tech.cn");
    record.website = QStringLiteral("https://huachen-tech.cn");
    record.notes = QStringLiteral("展会认识");
    return record;
}

} // namespace

// A contact shown as a QR code reads back, through the same decoder the scanner uses, as the
// same contact; a contact too large for one code leaves out its notes first and says so.
class tst_ContactQrCode : public QObject
{
    Q_OBJECT

private slots:
    void codeReadsBackAsTheContact_data()
    {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QStringList>("dropped");
        QTest::addColumn<FieldMap>("expected");

        const FieldMap fields { { "family", "欧阳" },
                                { "given", "明华" },
                                { "title", "销售总监" },
                                { "company", "北京华晨科技有限公司" },
                                { "address1", "北京市朝阳区建国路88号" },
                                { "postcode", "100022" },
                                { "numbers", "手机 138 0013 8000 | 传真 010-6552 8888" },
                                { "email", "mh@huachen-tech.cn" },
                                { "website", "https://huachen-tech.cn" } };
        FieldMap withNotes = fields;
        withNotes.insert("other", "展会认识");
        QTest::newRow("fits whole") << QStringLiteral("展会认识") << QStringList() << withNotes;
        QTest::newRow("long notes are left out")
            << QString(1200, QChar(u'记')) << QStringList { QStringLiteral("备注") } << fields;
    }

    void codeReadsBackAsTheContact()
    {
        QFETCH(QString, notes);
        QFETCH(QStringList, dropped);
        QFETCH(FieldMap, expected);
        ContactRecord record = contact();
        record.notes = notes;
        const auto shown = ContactQrCode::of(record);
        QVERIFY2(shown, qPrintable(shown.message()));
        QCOMPARE(shown.value().dropped, dropped);
        QVERIFY(shown.value().vCard.startsWith("BEGIN:VCARD\r\nVERSION:3.0\r\n"));
        const QByteArray decoded = QrCard::find(pictureOf(shown.value().code));
        QCOMPARE(decoded, shown.value().vCard);
        const std::optional<ScanResult> card = QrCard::read(decoded);
        QVERIFY(card);
        QCOMPARE(fieldMap(*card), expected);
    }
};

QTEST_GUILESS_MAIN(tst_ContactQrCode)
#include "tst_contactqrcode.moc"
