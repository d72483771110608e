#include "FilledFields.h"
#include "interchange/CardFileReader.h"

#include <QStringEncoder>
#include <QtTest>

namespace {

QByteArray utf16WithMark(const QString &text)
{
    QStringEncoder encode(QStringConverter::Utf16LE, QStringConverter::Flag::WriteBom);
    return encode.encode(text);
}

QByteArray gb18030(const QString &text)
{
    QStringEncoder encode("GB18030");
    return encode.encode(text);
}

} // namespace

class tst_CardReading : public QObject
{
    Q_OBJECT

private slots:
    void readsWhatSendersWrite_data();
    void readsWhatSendersWrite();
    void refusesWhatIsNoCardFile_data();
    void refusesWhatIsNoCardFile();
    void reportsUnreadableCardsBesideGoodOnes();
    void groupCardsBecomeTheirMembersGroups();
};

void tst_CardReading::readsWhatSendersWrite_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<QStringList>>("rows");

    QTest::newRow("2.1, quoted-printable, GB2312, bare types")
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\n"
                      "N;CHARSET=GB2312;ENCODING=QUOTED-PRINTABLE:=D5=C5;=C8=FD;;;\r\n"
                      "TEL;CELL;PREF:13800138000\r\n"
                      "tel;fax:010-5\r\n"
                      "NOTE;ENCODING=QUOTED-PRINTABLE;CHARSET=UTF-8:=E7=AC=AC=E4=B8=80=0D=0A=\r\n"
                      "second\r\n"
                      "END:VCARD\r\n")
        << QList<QStringList> { { "FirstName=张", "LastName=三", "Type=其他方面",
                                  "Data1=13800138000", "Combo1=手机", "Data2=010-5", "Combo2=传真",
                                  "Notes=第一\nsecond" } };
    QTest::newRow("3.0 from a phone: groups, folds, skipped properties, a second e-mail")
        << QString("BEGIN:VCARD\nVERSION:3.0\nFN:欧阳娜娜\n"
                   "item1.TEL;type=WORK;type=pref:010-1234\n"
                   "item1.X-ABLabel:_$!<Work>!$_\n"
                   "EMAIL;TYPE=INTERNET:a@example.cn\nEMAIL;TYPE=INTERNET:b@example.cn\n"
                   "NOTE:one\\ntwo\\, three\\; four that runs on past the seventy-five octet li\n"
                   " mit\n"
                   "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ\n  SkZJRg==\n"
                   "X-UNKNOWN:whatever\n"
                   "CATEGORIES:朋友,同学\nEND:VCARD\n")
               .toUtf8()
        << QList<QStringList> { { "FirstName=欧阳", "LastName=娜娜", "Type=朋友", "Data1=010-1234",
                                  "Combo1=办公电话", "Email=a@example.cn",
                                  "Notes=one\ntwo, three; four that runs on past the seventy-five "
                                  "octet limit" } };
    QTest::newRow("4.0 with TYPE lists, a fifth number, an address")
        << QByteArray("BEGIN:VCARD\r\nVERSION:4.0\r\nN:Smith;John;;;\r\nFN:John Smith\r\n"
                      "TEL;TYPE=\"cell,voice\";VALUE=uri:tel:+86-138\r\nTEL;TYPE=fax:5\r\n"
                      "TEL;TYPE=home:6\r\nTEL;TYPE=pager:7\r\nTEL;TYPE=work,voice:8\r\n"
                      "ADR;TYPE=work:;;1 Road;Beijing;;100000;China\r\n"
                      "ORG:Acme;R&D\r\nTITLE:Engineer\r\nURL:https://example.cn\r\n"
                      "END:VCARD\r\n")
        << QList<QStringList> { { "FirstName=Smith", "LastName=John", "Title=Engineer",
                                  "Type=其他方面", "CompanyName=Acme R&D", "Address1=1 Road",
                                  "Address2=Beijing China", "Postcode=100000", "Data1=+86-138",
                                  "Combo1=手机", "Data2=5", "Combo2=传真", "Data3=6",
                                  "Combo3=家庭电话", "Data4=7", "Combo4=寻呼机",
                                  "Website=https://example.cn" } };
    QTest::newRow("CR-only line ends, whole name as family name")
        << QString("BEGIN:VCARD\rVERSION:3.0\rN:张三;;;;\rFN:张三\rEND:VCARD\r"
                   "BEGIN:VCARD\rVERSION:3.0\rFN:Mary Ann Lee\rEND:VCARD\r")
               .toUtf8()
        << QList<QStringList> { { "FirstName=张", "LastName=三", "Type=其他方面" },
                                { "FirstName=Lee", "LastName=Mary Ann", "Type=其他方面" } };
    QTest::newRow("UTF-8 with a byte-order mark, 2.1 and 3.0 mixed")
        << QByteArray("\xEF\xBB\xBF")
            + QString("BEGIN:VCARD\nVERSION:2.1\nFN:司马相如\nEND:VCARD\n"
                      "BEGIN:VCARD\nVERSION:3.0\nFN:王\nEND:VCARD\n")
                  .toUtf8()
        << QList<QStringList> { { "FirstName=司马", "LastName=相如", "Type=其他方面" },
                                { "FirstName=王", "Type=其他方面" } };
    QTest::newRow("UTF-16 with a byte-order mark")
        << utf16WithMark(QStringLiteral("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:王五\r\nEND:VCARD\r\n"))
        << QList<QStringList> { { "FirstName=王", "LastName=五", "Type=其他方面" } };
    const QString longCompany(120, u'公');
    QTest::newRow("a value longer than its field")
        << QString("BEGIN:VCARD\nVERSION:3.0\nFN:李四\nORG:" + longCompany + "\nEND:VCARD\n")
               .toUtf8()
        << QList<QStringList> { { "FirstName=李", "LastName=四", "Type=其他方面",
                                  "CompanyName=" + longCompany.left(100) } };
    QTest::newRow("CSV from a mail program, a formula guard, a quoted line break")
        << QByteArray(
               "First Name,Last Name,Company,Job Title,Mobile Phone,Business Phone,"
               "E-mail Address,Notes\r\n"
               "John,Smith,Acme,Engineer,'+86 138,010,j@example.cn,\"a, \"\"b\"\"\r\nc\"\r\n")
        << QList<QStringList> { { "FirstName=Smith", "LastName=John", "Title=Engineer",
                                  "Type=其他方面", "CompanyName=Acme", "Data1=+86 138",
                                  "Combo1=手机", "Data2=010", "Combo2=办公电话",
                                  "Email=j@example.cn", "Notes=a, \"b\"\nc" } };
    QTest::newRow("CSV in GB18030 with Chinese column names and groups")
        << gb18030(QStringLiteral("姓,名,公司,职务,移动电话,电子邮件地址,Group Membership\n"
                                  "赵,六,华信,经理,139,z@example.cn,* myContacts ::: 客户\n"))
        << QList<QStringList> { { "FirstName=赵", "LastName=六", "Title=经理", "Type=客户",
                                  "CompanyName=华信", "Data1=139", "Combo1=手机",
                                  "Email=z@example.cn" } };
}

void tst_CardReading::readsWhatSendersWrite()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<QStringList>, rows);
    const auto read = CardFileReader::read(file);
    QVERIFY2(read.ok(), qPrintable(read.message()));
    QCOMPARE(read.value().problems.size(), 0);
    QCOMPARE(read.value().contacts.size(), rows.size());
    for (int i = 0; i < rows.size(); ++i)
        QCOMPARE(filledFields(read.value().contacts.at(i)), rows.at(i));
}

void tst_CardReading::refusesWhatIsNoCardFile_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("where");

    QByteArray junk;
    for (int i = 0; i < 4096; ++i)
        junk += char((i * 7919) % 256);
    QTest::newRow("binary junk") << junk << "第1行";
    QTest::newRow("CSV without a name column") << QByteArray("a,b,c\n1,2,3\n") << "第1行";
    QTest::newRow("empty file") << QByteArray() << "第1行：文件是空的";
}

void tst_CardReading::refusesWhatIsNoCardFile()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, where);
    const auto read = CardFileReader::read(file);
    QVERIFY(!read.ok());
    QVERIFY2(read.message().contains(where), qPrintable(read.message()));
}

void tst_CardReading::reportsUnreadableCardsBesideGoodOnes()
{
    const auto read = CardFileReader::read("BEGIN:VCARD\nFN:A B\nEND:VCARD\n"
                                           "BEGIN:VCARD\nFN;CHARSET=NO-SUCH-SET:x\nEND:VCARD\n"
                                           "BEGIN:VCARD\nN:姓;名字\nEND:VCARD\n"
                                           "BEGIN:VCARD\nFN:C D\n");
    QVERIFY(read.ok());
    // The card cut off at the end is kept; the one whose only name cannot be read is not.
    QCOMPARE(read.value().contacts.size(), 2);
    QList<int> lines;
    for (const ReadProblem &problem : read.value().problems)
        lines << problem.line;
    QCOMPARE(lines, (QList<int> { 4, 5, 7, 10 }));
}

void tst_CardReading::groupCardsBecomeTheirMembersGroups()
{
    const auto read = CardFileReader::read(
        "BEGIN:VCARD\nVERSION:3.0\nFN:同学\nX-ADDRESSBOOKSERVER-KIND:group\n"
        "X-ADDRESSBOOKSERVER-MEMBER:urn:uuid:a1\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:3.0\nFN:张三\nUID:a1\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:4.0\nFN:李四\nUID:urn:uuid:b2\nEND:VCARD\n"
        "BEGIN:VCARD\nVERSION:4.0\nKIND:group\nFN:家人\nMEMBER:urn:uuid:b2\nEND:VCARD\n");
    QVERIFY2(read.ok(), qPrintable(read.message()));
    QCOMPARE(read.value().contacts.size(), 2);
    QCOMPARE(read.value().contacts.at(0).firstName, QStringLiteral("张"));
    QCOMPARE(read.value().contacts.at(0).type, QStringLiteral("同学"));
    QCOMPARE(read.value().contacts.at(1).type, QStringLiteral("家人"));
    QVERIFY(read.value().cards.at(1).contains("CATEGORIES:家人"));
    QCOMPARE(read.value().problems.size(), 0);
}

QTEST_GUILESS_MAIN(tst_CardReading)
#include "tst_cardreading.moc"
