#include "ContactFixture.h"
#include "FileBytes.h"
#include "TestSandbox.h"
#include "contacts/ContactExport.h"

#include <QStringDecoder>
#include <QtTest>

Q_DECLARE_METATYPE(BlockedExport)
Q_DECLARE_METATYPE(ContactRow)

namespace {

const QDateTime generated(QDate(2024, 5, 6), QTime(14, 3, 5));

ContactRow fullRow()
{
    ContactRow row;
    row.id = 1;
    row.displayName = QStringLiteral("张 三");
    row.title = QStringLiteral("经理");
    row.email = QStringLiteral("zhang@example.cn");
    row.companyName = QStringLiteral("华信");
    row.postcode = QStringLiteral("100000");
    row.address1 = QStringLiteral("北京市");
    row.address2 = QStringLiteral("中山路1号");
    row.labels = { QStringLiteral("电话"), QStringLiteral("手机"), QStringLiteral("传真"),
                   QStringLiteral("寻呼机") };
    row.numbers
        = { QStringLiteral("010-1"), QStringLiteral("138"), QStringLiteral("010-2"), QString() };
    return row;
}

ContactRow nameOnly(qint64 id, const QString &name)
{
    ContactRow row;
    row.id = id;
    row.displayName = name;
    return row;
}

const QString heading = QStringLiteral("-=联系人信息列表=-\r\n------------------------------\r\n");
const QString fullRowText = QStringLiteral("姓名：张 三\r\n"
                                           "职务：经理  电子邮件：zhang@example.cn\r\n"
                                           "公司：华信  邮编：100000\r\n"
                                           "地址：北京市 中山路1号\r\n"
                                           "电话：010-1  手机：138\r\n"
                                           "传真：010-2  寻呼机：\r\n"
                                           "------------------------------\r\n");
const QString emptyRowText = QStringLiteral("姓名：李 四\r\n"
                                            "职务：  电子邮件：\r\n"
                                            "公司：  邮编：\r\n"
                                            "地址： \r\n"
                                            "：  ：\r\n"
                                            "：  ：\r\n"
                                            "------------------------------\r\n");

// The tests run in the C locale.
const QString closing
    = QStringLiteral("此列表由[Zorvane]自动生成\r\n生成时间：6 May 2024 14:03:05");

} // namespace

class TestContactExport : public QObject
{
    Q_OBJECT

private slots:
    void textHasTheFixedLayout_data()
    {
        QTest::addColumn<QList<ContactRow>>("rows");
        QTest::addColumn<QString>("text");
        QTest::newRow("full and empty rows")
            << QList<ContactRow> { fullRow(), nameOnly(2, QStringLiteral("李 四")) }
            << heading + fullRowText + emptyRowText + closing;
        QTest::newRow("no rows") << QList<ContactRow>() << heading + closing;
        QTest::newRow("reserved rows are left out")
            << QList<ContactRow> { nameOnly(3, QStringLiteral("模板 模板")), fullRow(),
                                   nameOnly(4, QStringLiteral("姓 名字")) }
            << heading + fullRowText + closing;
    }

    void textHasTheFixedLayout()
    {
        QFETCH(QList<ContactRow>, rows);
        QTEST(ContactExport::text(ContactExport::rowsOf(rows), generated), "text");
    }

    // The file holds the text in the system code page, replacing any old file, however long.
    void writtenBytesDecodeToTheText_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<bool>("oldFile");
        QTest::newRow("two rows") << 2 << false;
        QTest::newRow("replacing a longer file") << 1 << true;
        QTest::newRow("long list") << 3000 << false;
    }

    void writtenBytesDecodeToTheText()
    {
        QFETCH(int, count);
        QFETCH(bool, oldFile);
        TestSandbox sandbox;
        const QString path = sandbox.path(QStringLiteral("Mylist.txt"));
        if (oldFile)
            QVERIFY(FileBytes::write(path, QByteArray(100000, 'x')));
        QList<ContactRow> rows { nameOnly(1, QStringLiteral("李 四")) };
        for (int i = 1; i < count; ++i) {
            rows << fullRow();
            rows.last().id = i + 1;
            rows.last().displayName = QStringLiteral("联系人 %1").arg(i);
        }
        const Status written = ContactExport::write(ContactExport::rowsOf(rows), generated);
        QVERIFY2(written, qPrintable(written.message()));
        QCOMPARE(ContactExport::filePath(), path);
        const QByteArray bytes = FileBytes::read(path);
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(!bytes.endsWith("\n"));
        QStringDecoder decode(QStringConverter::System);
        const QString decoded = decode(bytes);
        QVERIFY(!decode.hasError());
        QCOMPARE(decoded, ContactExport::text(ContactExport::rowsOf(rows), generated));
    }

    void failureToWriteIsReported_data()
    {
        QTest::addColumn<BlockedExport>("how");
        QTest::newRow("program folder cannot exist") << BlockedExport::FolderUnderAFile;
        QTest::newRow("a folder holds the file's name") << BlockedExport::TargetIsAFolder;
    }

    void failureToWriteIsReported()
    {
        QFETCH(BlockedExport, how);
        TestSandbox sandbox;
        ProgramFolderOverride folder(blockExport(sandbox.programFolder(), how));
        const QList<ContactRow> rows { fullRow() };
        const Status written = ContactExport::write(ContactExport::rowsOf(rows), generated);
        QVERIFY(!written);
        QVERIFY2(written.message().contains(QStringLiteral("Mylist.txt")),
                 qPrintable(written.message()));
        QVERIFY(!QFileInfo(ContactExport::filePath()).isFile());
        const QStringList left
            = QDir(sandbox.programFolder()).entryList(QDir::Files | QDir::NoDotAndDotDot);
        QVERIFY2(!left.join(QLatin1Char(' ')).contains(QStringLiteral("Mylist")),
                 qPrintable(left.join(' ')));
    }
};

QTEST_GUILESS_MAIN(TestContactExport)
#include "tst_contactexport.moc"
