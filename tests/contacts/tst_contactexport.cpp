#include "ContactFixture.h"
#include "TestSandbox.h"
#include "contacts/ContactExport.h"

#include <QStringDecoder>
#include <QtTest>

Q_DECLARE_METATYPE(BlockedExport)

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

QString closing(const QDateTime &time)
{
    return QStringLiteral("此列表由[Zorvane]自动生成\r\n生成时间：")
        + ContactExport::generalDateTime(time);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

} // namespace

class TestContactExport : public QObject
{
    Q_OBJECT

private slots:
    void textHasTheFixedLayout()
    {
        const QList<ContactRow> rows { fullRow(), nameOnly(2, QStringLiteral("李 四")) };
        QCOMPARE(ContactExport::text(ContactExport::rowsOf(rows), generated),
                 heading + fullRowText + emptyRowText + closing(generated));
    }

    void textOfNoRowsHasHeadingAndClosingOnly()
    {
        QCOMPARE(ContactExport::text({}, generated), heading + closing(generated));
    }

    void reservedRowsAreNeverWritten()
    {
        const QList<ContactRow> rows { nameOnly(3, QStringLiteral("模板 模板")), fullRow(),
                                       nameOnly(4, QStringLiteral("姓 名字")) };
        QCOMPARE(ContactExport::text(ContactExport::rowsOf(rows), generated),
                 heading + fullRowText + closing(generated));
    }

    void generalDateTimeFollowsTheLocale_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("C") << QLocale::c() << QStringLiteral("6 May 2024 14:03:05");
        QTest::newRow("zh_CN") << QLocale(QLocale::Chinese, QLocale::China)
                               << QStringLiteral("2024/5/6 14:03:05");
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates)
                               << QStringLiteral("5/6/24 2:03:05 PM");
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany)
                               << QStringLiteral("06.05.24 14:03:05");
    }

    void generalDateTimeFollowsTheLocale()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, expected);
        QCOMPARE(ContactExport::generalDateTime(generated, locale), expected);
    }

    void writtenBytesDecodeToTheText()
    {
        TestSandbox sandbox;
        const QList<ContactRow> rows { nameOnly(2, QStringLiteral("李 四")), fullRow() };
        const Status written = ContactExport::write(ContactExport::rowsOf(rows), generated);
        QVERIFY2(written, qPrintable(written.message()));
        QCOMPARE(ContactExport::filePath(), sandbox.path(QStringLiteral("Mylist.txt")));
        const QByteArray bytes = readFile(sandbox.path(QStringLiteral("Mylist.txt")));
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QVERIFY(!bytes.endsWith("\n"));
        QStringDecoder decode(QStringConverter::System);
        const QString decoded = decode(bytes);
        QVERIFY(!decode.hasError());
        QCOMPARE(decoded, heading + emptyRowText + fullRowText + closing(generated));
    }

    void longListIsWrittenWhole()
    {
        TestSandbox sandbox;
        QList<ContactRow> rows;
        for (int i = 0; i < 3000; ++i) {
            ContactRow row = fullRow();
            row.id = i + 1;
            row.displayName = QStringLiteral("联系人 %1").arg(i);
            rows << row;
        }
        QVERIFY(ContactExport::write(ContactExport::rowsOf(rows), generated));
        QStringDecoder decode(QStringConverter::System);
        const QString decoded = decode(readFile(ContactExport::filePath()));
        QCOMPARE(decoded.size(),
                 ContactExport::text(ContactExport::rowsOf(rows), generated).size());
        QCOMPARE(decoded, ContactExport::text(ContactExport::rowsOf(rows), generated));
    }

    void writeReplacesTheOldFile()
    {
        TestSandbox sandbox;
        QFile old(sandbox.path(QStringLiteral("Mylist.txt")));
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
        old.close();
        const QList<ContactRow> rows { fullRow() };
        QVERIFY(ContactExport::write(ContactExport::rowsOf(rows), generated));
        QStringDecoder decode(QStringConverter::System);
        QCOMPARE(QString(decode(readFile(old.fileName()))),
                 ContactExport::text(ContactExport::rowsOf(rows), generated));
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
