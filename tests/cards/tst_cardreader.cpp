#include "cards/CardReader.h"
#include "cards/CardWriter.h"
#include "cards/KeptCardReader.h"

#include <QStringEncoder>
#include <QtTest>

namespace {

// A property as "group.NAME;PARAM=a,b:value", so a case lists what it expects as plain text.
QString shown(const CardProperty &property)
{
    QString text = property.group.isEmpty() ? property.name : property.group + u'.' + property.name;
    for (const CardParameter &parameter : property.parameters)
        text += u';' + parameter.name + u'=' + parameter.values.join(u',');
    return text + u':' + property.value;
}

QList<QStringList> shown(const QList<Card> &cards)
{
    QList<QStringList> out;
    for (const Card &card : cards) {
        QStringList properties;
        for (const CardProperty &property : card.properties)
            properties << shown(property);
        out << properties;
    }
    return out;
}

QStringList shown(const QList<ReadProblem> &problems)
{
    QStringList out;
    for (const ReadProblem &problem : problems)
        out << QString::number(problem.line) + u':' + problem.reason;
    return out;
}

QByteArray gb18030(const QString &text)
{
    QStringEncoder encode("GB18030");
    return encode.encode(text);
}

} // namespace

class tst_CardReader : public QObject
{
    Q_OBJECT

private slots:
    void keepsWhatItCanAndReportsTheRest_data();
    void keepsWhatItCanAndReportsTheRest();
    void keptFormReadsBackEqual();
    void quickKeptReadingAgreesWithTheReader_data();
    void quickKeptReadingAgreesWithTheReader();
    void readsLargeInputFromADevice();
};

void tst_CardReader::keepsWhatItCanAndReportsTheRest_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QList<QStringList>>("cards");
    QTest::addColumn<QStringList>("problems");

    QTest::newRow("iOS: CR CR LF line ends, folded lines, groups")
        << QByteArray("BEGIN:VCARD\r\r\nVERSION:3.0\r\r\nN:Li;Lei;;;\r\r\nNOTE:one two\r\r\n  "
                      "three\r\r\nitem1.TEL;type=CELL;type=pref:138\r\r\nitem1.X-ABLabel:"
                      "_$!<Mobile>!$_\r\r\nEND:VCARD\r\r\n")
        << QList<QStringList> { { "N:Li;Lei;;;", "NOTE:one two three",
                                  "item1.TEL;TYPE=CELL;PREF=1:138",
                                  "item1.X-ABLABEL:_$!<Mobile>!$_" } }
        << QStringList();
    QTest::newRow("lone CR line ends")
        << QByteArray("BEGIN:VCARD\rVERSION:3.0\rFN:A\rEMAIL:a@example.cn\rEND:VCARD\r")
        << QList<QStringList> { { "FN:A", "EMAIL:a@example.cn" } } << QStringList();
    QTest::newRow("a line it cannot read loses only that line")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:A\n\x01garbage without value\n"
                      "TEL:1\nBAD NAME:x\nEND:VCARD\nBEGIN:VCARD\nFN:B\nEND:VCARD\n")
        << QList<QStringList> { { "FN:A", "TEL:1" }, { "FN:B" } }
        << QStringList { "4:无法识别的内容", "6:无法识别的内容" };
    QTest::newRow("2.1 base64 with unindented lines ending in a blank line")
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Wang;Wu\r\n"
                      "PHOTO;ENCODING=BASE64;TYPE=JPEG:/9j/4AAQ\r\nSkZJRgAB\r\nAQ==\r\n\r\n"
                      "TEL;CELL:139\r\nEND:VCARD\r\n")
        << QList<QStringList> { { "N:Wang;Wu",
                                  "PHOTO;TYPE=JPEG:data:image/jpeg;base64,"
                                  "/9j/4AAQSkZJRgABAQ==",
                                  "TEL;TYPE=CELL:139" } }
        << QStringList();
    QTest::newRow("2.1 backslash continuation and quoted-printable soft breaks")
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN:Zhao;Liu\r\nNOTE:first\\\r\nsecond\r\n"
                      "ADR;HOME;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:;;=E5=8C=97=\r\n"
                      "=E4=BA=AC, a;b\r\nEND:VCARD\r\n")
        << QList<QStringList> { { "N:Zhao;Liu", "NOTE:first\\nsecond",
                                  "ADR;TYPE=HOME:;;北京\\, a;b" } }
        << QStringList();
    QTest::newRow("comment lines")
        << QByteArray("# exported address book\nBEGIN:VCARD\nVERSION:3.0\n# a note to self\n"
                      "FN:A\nEND:VCARD\n")
        << QList<QStringList> { { "FN:A" } } << QStringList();
    QTest::newRow("CHARSET=GB2312 means GBK: read as GB18030")
        << QByteArray("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=GB2312:" + gb18030("陈;喆堃玥")
                      + "\r\nORG;CHARSET=GBK;ENCODING=QUOTED-PRINTABLE:=B0=A2\r\nEND:VCARD\r\n")
        << QList<QStringList> { { "N:陈;喆堃玥", "ORG:阿" } } << QStringList();
    QTest::newRow("no CHARSET: one decision for the whole file")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:" + gb18030("张三") + "\nNOTE:" + gb18030("涓")
                      + "\nEND:VCARD\n")
        << QList<QStringList> { { "FN:张三", "NOTE:涓" } } << QStringList();
    QTest::newRow("a card inside a card: both kept, neighbours untouched")
        << QByteArray("BEGIN:VCARD\nFN:Outer\nBEGIN:VCARD\nFN:Inner\nEND:VCARD\nEND:VCARD\n"
                      "BEGIN:VCARD\nFN:Next\nEND:VCARD\n")
        << QList<QStringList> { { "FN:Outer" }, { "FN:Inner" }, { "FN:Next" } }
        << QStringList { "1:名片不完整，缺少END:VCARD", "6:名片以外的内容" };
    // Written as it came, the backslash would end its line, and a next line that does not read as
    // a property (a long name folded) would be taken as continuing the value.
    QTest::newRow("a backslash ending a value is text, kept escaped")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nNOTE:x\\\nTEL:1\\\\\nEND:VCARD\n")
        << QList<QStringList> { { "NOTE:x\\\\", "TEL:1\\\\" } } << QStringList();
    QTest::newRow("a card without its END at the end of the file is kept")
        << QByteArray("BEGIN:VCARD\nFN:A\nTEL:1\n") << QList<QStringList> { { "FN:A", "TEL:1" } }
        << QStringList { "1:名片不完整，缺少END:VCARD" };
    QTest::newRow("RFC 6868 carets and quoted parameter values")
        << QByteArray("BEGIN:VCARD\nVERSION:4.0\nFN:A\nADR;LABEL=\"1 Main St^nSpringfield, "
                      "^'IL^'\";PREF=1;ALTID=1:;;1 Main St;Springfield;IL;;\nEND:VCARD\n")
        << QList<
               QStringList> { { "FN:A",
                                "ADR;LABEL=1 Main St\nSpringfield, \"IL\";PREF=1;ALTID=1:;;1 Main "
                                "St;Springfield;IL;;" } }
        << QStringList();
    QTest::newRow("a stray = in quoted-printable is kept as it stands")
        << QByteArray("BEGIN:VCARD\nVERSION:2.1\nFN;ENCODING=QUOTED-PRINTABLE:A=ZZ=41\nEND:VCARD\n")
        << QList<QStringList> { { "FN:A=ZZA" } } << QStringList();
    QTest::newRow("an unknown charset and bad base64 lose their line only")
        << QByteArray("BEGIN:VCARD\nVERSION:2.1\nFN:A\nNOTE;CHARSET=NO-SUCH:x\n"
                      "PHOTO;ENCODING=BASE64:%%%\n\nTEL:1\nEND:VCARD\n")
        << QList<QStringList> { { "FN:A", "TEL:1" } }
        << QStringList { "4:不认识的字符集“NO-SUCH”", "5:BASE64编码有误" };
    QTest::newRow("a line of 5 MB is no contact data")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nNOTE:") + QByteArray(5 * 1024 * 1024, 'x')
            + QByteArray("\nFN:A\nEND:VCARD\n")
        << QList<QStringList> { { "FN:A" } } << QStringList { "3:这一行太长" };
    QTest::newRow("text outside a card is reported, line by line")
        << QByteArray("hello\nBEGIN:VCARD\nFN:A\nEND:VCARD\nEND:VCARD\n")
        << QList<QStringList> { { "FN:A" } }
        << QStringList { "1:名片以外的内容", "5:名片以外的内容" };
}

void tst_CardReader::keepsWhatItCanAndReportsTheRest()
{
    QFETCH(QByteArray, file);
    QFETCH(QList<QStringList>, cards);
    QFETCH(QStringList, problems);

    QList<ReadProblem> found;
    const QList<Card> read = CardReader::readAll(file, &found);
    QCOMPARE(shown(read), cards);
    QCOMPARE(shown(found), problems);
}

void tst_CardReader::keptFormReadsBackEqual()
{
    const QByteArray file("BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=UTF-8;ENCODING=QUOTED-"
                          "PRINTABLE:=E5=BC=A0;=E4=B8=89;;;\r\nTEL;CELL;PREF:1\r\nLABEL;HOME:"
                          "x, y\r\nX-CUSTOM;X-P=\"a^b\":v\r\nEND:VCARD\r\n");
    const QList<Card> cards = CardReader::readAll(file);
    QCOMPARE(cards.size(), 1);
    QCOMPARE(cards.first().sourceVersion, CardVersion::V21);
    const QList<Card> again = CardReader::readAll(CardWriter::keep(cards.first()));
    QCOMPARE(again.size(), 1);
    QCOMPARE(shown(again), shown(cards));
    QCOMPARE(again.first().sourceVersion, CardVersion::V21);
    QVERIFY(again.first() == cards.first());

    // 2.1 writes types as bare words; one a reader would take for an encoding, or that is no
    // word, keeps its TYPE= so it comes back a type.
    // A comma 4.0 leaves unescaped outside text goes escaped in 2.1, so it reads back the same.
    const QByteArray odd("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:x\r\nTEL;TYPE=8BIT,\"a b\",cell:1\r\n"
                         "BDAY:1,90\r\nPHOTO:data:image/png;base64,@@@@\r\nEND:VCARD\r\n");
    const QByteArray written
        = CardWriter::write(CardReader::readAll(odd).value(0), CardVersion::V21);
    QVERIFY2(written.contains("TEL;CELL;TYPE=8BIT,a b:1"), written.constData());
    QCOMPARE(CardWriter::write(CardReader::readAll(written).value(0), CardVersion::V21), written);
    // A data: URI whose base64 is broken stays a URI: as binary the reader would drop the line.
    const QByteArray v30 = CardWriter::write(CardReader::readAll(odd).value(0), CardVersion::V30);
    QVERIFY2(v30.contains("PHOTO:data:image/png;base64,@@@@"), v30.constData());
    QCOMPARE(CardWriter::write(CardReader::readAll(v30).value(0), CardVersion::V30), v30);

    // A quoted-printable line broken before a blank: the blank must not read as folding.
    Card blanks = CardReader::readAll(odd).value(0);
    // Nor a blank ending the value.
    const QString note = QStringLiteral("张") + QString(100, u' ') + QStringLiteral("三 ");
    blanks.properties.append({ QString(), QStringLiteral("NOTE"), {}, note });
    const QByteArray qp = CardWriter::write(blanks, CardVersion::V21);
    const Card read = CardReader::readAll(qp).value(0);
    QCOMPARE(read.properties.value(read.first(QStringLiteral("NOTE"))).text(), note);
}

void tst_CardReader::quickKeptReadingAgreesWithTheReader_data()
{
    QTest::addColumn<QByteArray>("kept");
    QTest::addColumn<bool>("quick");
    const QByteArray begin = "BEGIN:VCARD\r\nVERSION:4.0\r\nX-ZORVANE-VERSION:3.0\r\n";
    const QByteArray end = "END:VCARD\r\n";
    QTest::newRow("a phone's card: groups, a label's spelling, folded lines") << begin
            + "N:张;三;;;\r\nTEL;TYPE=cell;PREF=1:138\r\nitem1.URL:https://a.cn\r\n"
              "item1.X-ABLabel:学校\r\nPHOTO:data:image/jpeg;base64,eHh4\r\n eHh4\r\n"
              "NOTE:第一\r\n 是\r\n"
            + end << true;
    QTest::newRow("TYPE comes first, its values trimmed; a repeated parameter keeps the last")
        << begin + "TEL;X-A=1;TYPE=cell\xE3\x80\x80,,work;X-A=2:1\r\n" + end << true;
    QTest::newRow("the version the card came in")
        << "BEGIN:VCARD\r\nVERSION:4.0\r\nX-ZORVANE-VERSION:2.1\r\nFN:a\r\n" + end << true;
    QTest::newRow("quoted parameter") << begin + "X-A;X-B=\"a,b\":v\r\n" + end << false;
    QTest::newRow("caret") << begin + "X-A;X-B=a^nb:v\r\n" + end << false;
    QTest::newRow("a blank around a parameter value") << begin + "X-A;X-B= a:v\r\n" + end << false;
    QTest::newRow("a lone LF") << begin + "NOTE:a\nb\r\n" + end << false;
    QTest::newRow("a value ending in a lone backslash") << begin + "NOTE:a\\\r\n" + end << false;
    QTest::newRow("a 2.1 word") << begin + "TEL;CELL:1\r\n" + end << false;
    QTest::newRow("pref as a type") << begin + "TEL;TYPE=pref:1\r\n" + end << false;
    QTest::newRow("an encoding") << begin + "PHOTO;ENCODING=b:eHh4\r\n" + end << false;
    QTest::newRow("2.1 text") << "BEGIN:VCARD\r\nVERSION:2.1\r\nNOTE:a,b\r\n" + end << false;
    QTest::newRow("a line without a value") << begin + "NOTE;X-A=1\r\n" + end << false;
    QTest::newRow("a card inside") << begin + "BEGIN:VCARD\r\nFN:a\r\n" + end + end << false;
    QTest::newRow("no END") << begin + "FN:a\r\n" << false;
}

// Exporting reads kept cards the quick way; what it reads must be what the reader reads, and
// everything else must be left to the reader.
void tst_CardReader::quickKeptReadingAgreesWithTheReader()
{
    QFETCH(QByteArray, kept);
    QFETCH(bool, quick);

    const QList<Card> general = CardReader::readAll(kept);
    QVERIFY(!general.isEmpty());
    Card card;
    QCOMPARE(KeptCardReader::read(kept, card), quick);
    if (quick) {
        QCOMPARE(shown({ card }), shown({ general.first() }));
        QVERIFY(card == general.first());
    }
    QVERIFY(CardReader::readKept(kept, card));
    QVERIFY(card == general.first());
}

void tst_CardReader::readsLargeInputFromADevice()
{
    // Cards across the reader's buffer boundaries, with CR CR LF ends and folds split between
    // reads, and a long run of lone CRs (blank lines) between them.
    QByteArray file;
    for (int i = 0; i < 20000; ++i)
        file += "BEGIN:VCARD\r\r\nVERSION:3.0\r\r\nFN:Person " + QByteArray::number(i)
            + "\r\r\nNOTE:" + QByteArray(i % 97, 'x') + "\r\r\n " + QByteArray(i % 89, 'y')
            + "\r\r\nEND:VCARD\r\r\n" + (i == 7 ? QByteArray(700000, '\r') : QByteArray());
    QBuffer device(&file);
    QVERIFY(device.open(QIODevice::ReadOnly));
    CardReader reader(device);
    Card card;
    int count = 0;
    while (reader.next(card)) {
        QCOMPARE(card.firstText(QStringLiteral("FN")), QStringLiteral("Person %1").arg(count));
        QCOMPARE(card.firstText(QStringLiteral("NOTE")).size(), count % 97 + count % 89);
        ++count;
    }
    QCOMPARE(count, 20000);
    QCOMPARE(reader.problemCount(), 0);
}

QTEST_GUILESS_MAIN(tst_CardReader)
#include "tst_cardreader.moc"
