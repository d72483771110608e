#include "SandboxedDataFile.h"
#include "cards/CardProjection.h"
#include "cards/CardReader.h"
#include "cards/CardStore.h"
#include "cards/CardUnion.h"
#include "cards/CardWriter.h"
#include "contacts/ContactStore.h"
#include "data/Schema.h"
#include "interchange/CardExport.h"
#include "interchange/CardFileReader.h"
#include "interchange/CardImport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QtTest>

namespace {

// Samples of what each exporter writes, made for these tests after the exporters' habits.
const QByteArray handset21(
    "BEGIN:VCARD\r\nVERSION:2.1\r\nN;CHARSET=GB2312;ENCODING=QUOTED-PRINTABLE:=D5=C5;=C8=FD;;;\r\n"
    "FN;CHARSET=GB2312;ENCODING=QUOTED-PRINTABLE:=D5=C5=C8=FD\r\nTEL;CELL;PREF:13800138000\r\n"
    "TEL;WORK:010-1234\r\nTITLE;CHARSET=GB2312;ENCODING=QUOTED-PRINTABLE:=BE=AD=C0=ED\r\n"
    "END:VCARD\r\n");
const QByteArray
    android21("BEGIN:VCARD\r\nVERSION:2.1\r\nN:;;;;\r\nFN:\r\nEMAIL;HOME:only@example.com\r\n"
              "X-ANDROID-CUSTOM:vnd.android.cursor.item/nickname;Bob;1;;;;;;;;;;;;;"
              "\r\nEND:VCARD\r\n");
const QByteArray ios30(
    "BEGIN:VCARD\r\r\nVERSION:3.0\r\r\nPRODID:-//Apple Inc.//iPhone OS 17.0//EN\r\r\n"
    "N:Appleseed;Johnny;;Dr.;Jr.\r\r\nFN:Dr. Johnny Appleseed Jr.\r\r\nORG:Apple;Engineering;\r\r\n"
    "TITLE:Engineer\r\r\nitem1.TEL;type=pref:+1 408 555 0101\r\r\n"
    "item1.X-ABLabel:_$!<Other>!$_\r\r\nTEL;type=CELL;type=VOICE:+1 408 555 0102\r\r\n"
    "item2.EMAIL;type=INTERNET;type=pref:j@example.com\r\r\nitem2.X-ABLabel:_$!<Work>!$_\r\r\n"
    "item3.ADR;type=HOME;type=pref:;;1 Infinite Loop;Cupertino;CA;95014;United States\r\r\n"
    "item3.X-ABADR:us\r\r\nBDAY:1980-01-02\r\r\n"
    "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQAAAQABAAD/2wBDAAgGBgcGBQgHBwcJCQgKDBQNDAsLD\r\r\n"
    " BkSEw8UHRofHh0aHBwgJC4nICIsIxwcKDcpLDAxNDQ0Hyc5PTgyPC4zNDL/wAALCAABAAEBAREA\r\r\n"
    "END:VCARD\r\r\n");
const QByteArray google30("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Wei Zhang\r\nN:Zhang;Wei;;;\r\n"
                          "EMAIL;TYPE=INTERNET;TYPE=HOME:wei@example.com\r\n"
                          "EMAIL;TYPE=INTERNET;TYPE=WORK:zhang.wei@example.com\r\n"
                          "TEL;TYPE=CELL:+86 138 0000 0000\r\n"
                          "ADR;TYPE=WORK:;;88 Road;Shanghai;;200000;China\r\nORG:Example Ltd.\r\n"
                          "TITLE:Manager\r\nCATEGORIES:myContacts,Friends\r\n"
                          "NOTE:Met at a fair\\, 2023\r\nURL:https://example.com\r\nEND:VCARD\r\n");
const QByteArray macos30("BEGIN:VCARD\nVERSION:3.0\nN:;Acme Corp;;;\nFN:Acme Corp\nORG:Acme Corp;\n"
                         "X-ABShowAs:COMPANY\nitem1.TEL;type=WORK:+1 555 0100\n"
                         "item1.X-ABLabel:总机\nitem2.URL;type=pref:http://acme.example\n"
                         "item2.X-ABLabel:_$!<HomePage>!$_\nX-ABUID:5F1E:ABPerson\nEND:VCARD\n");
const QByteArray
    outlook21("BEGIN:VCARD\r\nVERSION:2.1\r\nN;LANGUAGE=zh-cn:Liu;Yang\r\nFN:Liu Yang\r\n"
              "ORG:Contoso;Sales\r\nTITLE:Rep\r\nTEL;WORK;VOICE:(010) 5555-0000\r\n"
              "TEL;HOME;VOICE:(010) 5555-0001\r\nADR;WORK;PREF:;;1 Street;Beijing;;100000;China\r\n"
              "LABEL;WORK;PREF;ENCODING=QUOTED-PRINTABLE:1 Street=0D=0ABeijing 100000\r\n"
              "EMAIL;PREF;INTERNET:liu@contoso.com\r\nREV:20230101T000000Z\r\nEND:VCARD\r\n");
const QByteArray modern40("BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Jane Doe\r\nN:Doe;Jane;;;\r\n"
                          "TEL;VALUE=uri;TYPE=cell;PREF=1:tel:+1-555-555-5555\r\n"
                          "TEL;VALUE=uri;TYPE=work;PREF=2:tel:+1-555-555-0000\r\n"
                          "TITLE;ALTID=1;LANGUAGE=en:Boss\r\nTITLE;ALTID=1;LANGUAGE=zh:老板\r\n"
                          "KIND:individual\r\nGENDER:F\r\nPHOTO:http://example.com/j.jpg\r\n"
                          "END:VCARD\r\n");

const QSet<QString> onlyIn40 { "KIND", "GENDER" };
const QSet<QString> notIn40 { "LABEL" };

// A property as "group.NAME;PARAM=values:value", with what a version cannot carry left out, so
// two cards written in different versions compare property by property.
QString comparable(const CardProperty &property, CardVersion version)
{
    QStringList parameters;
    QString value = property.value;
    for (const CardParameter &parameter : property.parameters) {
        QStringList values;
        for (const QString &v : parameter.values)
            values << v.toLower();
        values.sort();
        if (version != CardVersion::V40) {
            if (parameter.name == u"VALUE" && value.startsWith(QStringLiteral("tel:"))) {
                value = value.mid(4);
                continue;
            }
            if (parameter.name == u"ALTID")
                continue;
            if (parameter.name == u"PREF")
                values = QStringList { QStringLiteral("1") };
        }
        parameters << parameter.name + u'=' + values.join(u',');
    }
    parameters.sort();
    return property.group.toLower() + u'.' + property.name + u';' + parameters.join(u';') + u':'
        + value;
}

QStringList comparable(const Card &card, CardVersion version)
{
    QStringList out;
    for (const CardProperty &property : card.properties) {
        if (property.name == u"TITLE")
            continue;
        if (version != CardVersion::V40 && onlyIn40.contains(property.name))
            continue;
        if (version == CardVersion::V40 && notIn40.contains(property.name))
            continue;
        out << comparable(property, version);
    }
    out.sort();
    return out;
}

QStringList titles(const Card &card)
{
    QStringList out;
    for (const qsizetype at : card.all(QStringLiteral("TITLE")))
        out << card.properties.at(at).text();
    return out;
}

Card readOne(const QByteArray &bytes)
{
    const QList<Card> cards = CardReader::readAll(bytes);
    return cards.value(0);
}

} // namespace

class tst_CardRoundTrip : public QObject, private SandboxedDataFile
{
    Q_OBJECT

    QJsonDocument vobjectRead(const QByteArray &bytes)
    {
        const QString path = sandbox->path(QStringLiteral("read.vcf"));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        file.close();
        QProcess python;
        // Debian's own interpreter, which python3-vobject is installed for.
        python.start(
            QStringLiteral("/usr/bin/python3"),
            { QStringLiteral(ZORVANE_SOURCE_DIR "/tests/cards/card_properties.py"), path });
        if (!python.waitForFinished(60000) || python.exitCode() != 0) {
            qWarning("%s", python.readAllStandardError().constData());
            return {};
        }
        return QJsonDocument::fromJson(python.readAllStandardOutput());
    }

private slots:
    void init() { QVERIFY(openDataFile()); }
    void cleanup() { closeDataFile(); }

    void changingTheTitleKeepsEveryOtherProperty_data();
    void changingTheTitleKeepsEveryOtherProperty();
    void aPhonesCardComesBackWithOnlyItsTitleChanged();
    void vobjectReadsTheSameCard_data();
    void vobjectReadsTheSameCard();
    void projectsTheRowAndRefusesNothing_data();
    void projectsTheRowAndRefusesNothing();
    void aUnionKeepsEveryValueAndShowsTheChosenOnes();
    void aMergedImportFillsTheRowAndKeepsBothCards();
    void aDeletedContactTakesItsCardAlong_data();
    void aDeletedContactTakesItsCardAlong();
};

void tst_CardRoundTrip::changingTheTitleKeepsEveryOtherProperty_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("titlesAfter");

    const QStringList oneTitle { QStringLiteral("总监") };
    QTest::newRow("handset 2.1, quoted-printable GB2312") << handset21 << oneTitle;
    QTest::newRow("Android 2.1, e-mail only") << android21 << oneTitle;
    QTest::newRow("iOS 3.0, itemN labels, CR CR LF") << ios30 << oneTitle;
    QTest::newRow("Google 3.0") << google30 << oneTitle;
    QTest::newRow("macOS 3.0") << macos30 << oneTitle;
    QTest::newRow("Outlook 2.1") << outlook21 << oneTitle;
    QTest::newRow("4.0 with PREF, ALTID, VALUE=uri")
        << modern40 << QStringList { QStringLiteral("总监"), QStringLiteral("老板") };
}

void tst_CardRoundTrip::changingTheTitleKeepsEveryOtherProperty()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, titlesAfter);

    const Card original = readOne(file);
    QVERIFY(!original.properties.isEmpty());
    Card changed = original;
    const ContactRecord before = CardProjection::project(changed);
    ContactRecord after = before;
    after.title = QStringLiteral("总监");
    CardProjection::apply(changed, before, after);
    for (const CardVersion version : { CardVersion::V21, CardVersion::V30, CardVersion::V40 }) {
        const Card back = readOne(CardWriter::write(changed, version));
        QCOMPARE(comparable(back, version), comparable(original, version));
        QCOMPARE(titles(back), titlesAfter);
        ContactRecord row = CardProjection::project(back);
        QCOMPARE(row.title, QStringLiteral("总监"));
        row.title = before.title;
        row.id = before.id;
        QCOMPARE(row.firstName, before.firstName);
        QCOMPARE(row.numbers, before.numbers);
        QCOMPARE(row.labels, before.labels);
        QCOMPARE(row.email, before.email);
        QCOMPARE(row.address1, before.address1);
    }
}

// Through the data file: imported, its title changed in the editor's store, exported as 3.0.
void tst_CardRoundTrip::aPhonesCardComesBackWithOnlyItsTitleChanged()
{
    const QByteArray phone(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;John;Q;Dr.;Jr.\r\nFN:Dr. John Q Smith Jr.\r\n"
        "ORG:Globex;R&D\r\nORG:Night School\r\nTITLE:Engineer\r\nTITLE:Teacher\r\n"
        "TEL;TYPE=CELL:+1 555 0001\r\nTEL;TYPE=WORK:+1 555 0002\r\nTEL;TYPE=HOME:+1 555 0003\r\n"
        "TEL;TYPE=WORK,FAX:+1 555 0004\r\nitem1.TEL:+1 555 0005\r\n"
        "item1.X-ABLabel:School\r\nEMAIL;TYPE=WORK:john@globex.example\r\n"
        "EMAIL;TYPE=HOME:john@home.example\r\n"
        "ADR;TYPE=HOME:;;1 Home Rd;Springfield;Illinois;62701;USA\r\n"
        "ADR;TYPE=WORK:;;2 Work Ave;Shelbyville;Illinois;62565;USA\r\n"
        "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQ==\r\nBDAY:1970-05-06\r\n"
        "UID:phone-0001\r\nEND:VCARD\r\n");
    CardImport importer(*database);
    const auto plan = importer.plan(CardFileReader::Source::inMemory(phone));
    QVERIFY2(plan.ok(), qPrintable(plan.message()));
    const auto written = importer.write({ plan.value() }, CardImport::Choice::NewOnly);
    QVERIFY2(written.ok(), qPrintable(written.message()));
    const auto id = database->scalar(QStringLiteral("SELECT MAX(ID) FROM Contacts"));
    QVERIFY(id.ok());

    ContactStore store(*database);
    const auto loaded = store.load(id.value().toLongLong());
    QVERIFY(loaded.ok());
    QCOMPARE(loaded.value().address1, QStringLiteral("2 Work Ave"));
    QCOMPARE(loaded.value().numbers[3], QStringLiteral("+1 555 0004"));
    QCOMPARE(loaded.value().labels[3], QStringLiteral("传真"));
    QCOMPARE(loaded.value().notes, QString());
    ContactStore::Edit edit { loaded.value(), loaded.value() };
    edit.after.title = QStringLiteral("Director");
    QVERIFY(store.save(edit).ok());

    const QString path = sandbox->path(QStringLiteral("out.vcf"));
    const auto exported
        = CardExport(*database, CardExport::Scope(), CardFormat::VCard30).writeFile(path);
    QVERIFY2(exported.ok(), qPrintable(exported.message()));
    QFile out(path);
    QVERIFY(out.open(QIODevice::ReadOnly));
    const QByteArray expected(
        "BEGIN:VCARD\r\nVERSION:3.0\r\nN:Smith;John;Q;Dr.;Jr.\r\nFN:Dr. John Q Smith Jr.\r\n"
        "ORG:Globex;R&D\r\nORG:Night School\r\nTITLE:Director\r\nTITLE:Teacher\r\n"
        "TEL;TYPE=CELL:+1 555 0001\r\nTEL;TYPE=WORK:+1 555 0002\r\nTEL;TYPE=HOME:+1 555 0003\r\n"
        "TEL;TYPE=WORK,FAX:+1 555 0004\r\nitem1.TEL:+1 555 0005\r\n"
        "item1.X-ABLabel:School\r\nEMAIL;TYPE=WORK:john@globex.example\r\n"
        "EMAIL;TYPE=HOME:john@home.example\r\n"
        "ADR;TYPE=HOME:;;1 Home Rd;Springfield;Illinois;62701;USA\r\n"
        "ADR;TYPE=WORK:;;2 Work Ave;Shelbyville;Illinois;62565;USA\r\n"
        "PHOTO;TYPE=JPEG;ENCODING=b:/9j/4AAQSkZJRgABAQ==\r\nBDAY:1970-05-06\r\n"
        "UID:phone-0001\r\nEND:VCARD\r\n");
    QCOMPARE(out.readAll(), expected);
}

void tst_CardRoundTrip::vobjectReadsTheSameCard_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("version");

    QByteArray ios = ios30;
    ios.replace("\r\r\n", "\r\n"); // python3-vobject cannot read CR CR LF itself
    QTest::newRow("iOS 3.0") << ios << int(CardVersion::V30);
    QTest::newRow("Google 3.0") << google30 << int(CardVersion::V30);
    QTest::newRow("macOS 3.0") << macos30 << int(CardVersion::V30);
    QTest::newRow("4.0") << modern40 << int(CardVersion::V40);
}

void tst_CardRoundTrip::vobjectReadsTheSameCard()
{
    QFETCH(QByteArray, file);
    QFETCH(int, version);

    Card card = readOne(file);
    const ContactRecord before = CardProjection::project(card);
    ContactRecord after = before;
    after.title = QStringLiteral("总监");
    CardProjection::apply(card, before, after);
    const QByteArray written = CardWriter::write(card, CardVersion(version));

    const auto withoutTitles = [](const QJsonDocument &document) {
        QJsonArray cards = document.array();
        QJsonArray out;
        for (const QJsonValue &c : cards) {
            QJsonArray lines;
            for (const QJsonValue &line : c.toArray()) {
                if (line.toArray().at(1).toString() != u"TITLE")
                    lines << line;
            }
            out << lines;
        }
        return out;
    };
    const QJsonDocument original = vobjectRead(file);
    const QJsonDocument back = vobjectRead(written);
    QVERIFY(!original.isNull() && !back.isNull());
    QCOMPARE(withoutTitles(back), withoutTitles(original));
    QVERIFY(QString::fromUtf8(back.toJson()).contains(QStringLiteral("总监")));
}

void tst_CardRoundTrip::projectsTheRowAndRefusesNothing_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QStringList>("row");

    QTest::newRow("no N: FN names the contact")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nFN:欧阳娜娜\nEND:VCARD\n")
        << QStringList { "欧阳", "娜娜", "", "", "" };
    QTest::newRow("no N nor FN: the company")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nORG:Acme;Sales\nEND:VCARD\n")
        << QStringList { "Acme Sales", "", "", "", "" };
    QTest::newRow("an e-mail-only card from Android")
        << android21 << QStringList { "only@example.com", "", "", "", "only@example.com" };
    QTest::newRow("preferred number and e-mail first, work address over home")
        << QByteArray("BEGIN:VCARD\nVERSION:3.0\nN:A;B\nTEL;TYPE=HOME:1\nTEL;TYPE=CELL,PREF:2\n"
                      "EMAIL:x@example.com\nEMAIL;PREF=1:y@example.com\n"
                      "ADR;TYPE=HOME:;;Home;;;;\nADR;TYPE=WORK:;;Work;City;;100;\nEND:VCARD\n")
        << QStringList { "A", "B", "2", "Work", "y@example.com" };
}

void tst_CardRoundTrip::projectsTheRowAndRefusesNothing()
{
    QFETCH(QByteArray, file);
    QFETCH(QStringList, row);

    const ContactRecord contact = CardProjection::project(readOne(file));
    QCOMPARE((QStringList { contact.firstName, contact.lastName, contact.numbers[0],
                            contact.address1, contact.email }),
             row);
}

void tst_CardRoundTrip::aUnionKeepsEveryValueAndShowsTheChosenOnes()
{
    const Card older = readOne("BEGIN:VCARD\nVERSION:3.0\nN:王;伟;;;\nFN:王伟\nTEL;TYPE=cell:138\n"
                               "ORG:甲公司\nEMAIL:w@example.cn\nEND:VCARD\n");
    const Card newer = readOne("BEGIN:VCARD\nVERSION:3.0\nN:王;伟;;;\nTEL;TYPE=cell:139\n"
                               "item1.TEL:010\nitem1.X-ABLabel:学校\nORG:乙公司\n"
                               "EMAIL:W@example.cn\nEND:VCARD\n");
    ContactRecord chosen = CardProjection::project(older);
    chosen.companyName = QStringLiteral("乙公司");
    chosen.title = QStringLiteral("经理");

    const Card united = CardUnion::unite({ older, newer }, chosen);
    QStringList shown;
    for (const CardProperty &property : united.properties)
        shown << comparable(property, CardVersion::V40);
    QCOMPARE(shown,
             (QStringList { ".N;:王;伟;;;", ".FN;:王伟", ".TEL;TYPE=cell:138", ".ORG;:乙公司",
                            ".ORG;:甲公司", ".EMAIL;:w@example.cn", ".TITLE;:经理",
                            ".TEL;TYPE=cell:139", "item1.X-ABLABEL;:学校", "item1.TEL;:010" }));
    const ContactRecord row = CardProjection::project(united);
    QCOMPARE(row.companyName, QStringLiteral("乙公司"));
    QCOMPARE(row.title, QStringLiteral("经理"));
    QCOMPARE((QStringList { row.numbers[0], row.numbers[1], row.numbers[2], row.labels[2] }),
             (QStringList { "138", "139", "010", "学校" }));
}

void tst_CardRoundTrip::aMergedImportFillsTheRowAndKeepsBothCards()
{
    CardImport importer(*database);
    for (const char *file :
         { "BEGIN:VCARD\nVERSION:3.0\nN:王;伟;;;\nFN:王伟\nTITLE:经理\nTEL;TYPE=CELL:138\n"
           "NICKNAME:老王\nEND:VCARD\n",
           "BEGIN:VCARD\nVERSION:3.0\nN:王;伟;;;\nFN:王伟\nTITLE:总监\nTEL;TYPE=CELL:139\n"
           "EMAIL:w@example.cn\nBDAY:1980-01-02\nEND:VCARD\n" }) {
        const auto plan = importer.plan(CardFileReader::Source::inMemory(file));
        QVERIFY(plan.ok());
        const auto written = importer.write({ plan.value() }, CardImport::Choice::Merge);
        QVERIFY2(written.ok(), qPrintable(written.message()));
        QCOMPARE(written.value(), 1);
    }
    const auto ids
        = database->records(QStringLiteral("SELECT ID FROM Contacts WHERE FirstName = '王'"));
    QVERIFY(ids.ok());
    QCOMPARE(ids.value().size(), 1);
    const auto row = ContactStore(*database).load(ids.value().first().value(0).toLongLong());
    QVERIFY(row.ok());
    QCOMPARE((QStringList { row.value().title, row.value().numbers[0], row.value().email }),
             (QStringList { "经理", "138", "w@example.cn" }));
    const auto card = CardStore(*database).cardOf(row.value());
    QVERIFY(card.ok());
    QStringList lines;
    for (const CardProperty &property : card.value().properties)
        lines << property.name + u':' + property.value;
    QCOMPARE(lines,
             (QStringList { "N:王;伟;;;", "FN:王伟", "TITLE:经理", "TEL:138", "NICKNAME:老王",
                            "TITLE:总监", "BDAY:1980-01-02", "TEL:139", "EMAIL:w@example.cn" }));
}

enum class Mend { None, AtOpening, AtNextCardKept };

void tst_CardRoundTrip::aDeletedContactTakesItsCardAlong_data()
{
    QTest::addColumn<bool>("earlierBuild");
    QTest::addColumn<Mend>("mend");
    QTest::addColumn<QStringList>("left");
    QTest::newRow("deleted") << false << Mend::None << QStringList { "乙" };
    // A file whose cards table an earlier build made keeps the card until the file is mended.
    QTest::newRow("earlier build") << true << Mend::None << QStringList { "甲", "乙" };
    QTest::newRow("earlier build, opened again") << true << Mend::AtOpening << QStringList { "乙" };
    QTest::newRow("earlier build, a card kept")
        << true << Mend::AtNextCardKept << QStringList { "乙" };
}

void tst_CardRoundTrip::aDeletedContactTakesItsCardAlong()
{
    QFETCH(bool, earlierBuild);
    QFETCH(Mend, mend);

    CardStore store(*database);
    QList<qint64> ids;
    for (const char *name : { "甲", "乙" }) {
        const auto id = database->insert(
            QStringLiteral(
                "INSERT INTO Contacts (FirstName, LastName, Type) VALUES (?, '', '朋友')"),
            { QString::fromUtf8(name) });
        QVERIFY(id.ok());
        ids << id.value();
        QVERIFY(store.keep(
            ids.last(),
            readOne("BEGIN:VCARD\nVERSION:4.0\nFN:" + QByteArray(name) + "\nEND:VCARD\n")));
    }
    // The paper card's pictures follow the same rule.
    QVERIFY(Schema::ensureFeatureTable(*database, QStringLiteral("CardImages")));
    for (const qint64 id : ids)
        QVERIFY(database->execute(QStringLiteral("INSERT INTO CardImages (ContactID, Side, Format, "
                                                 "Image) VALUES (?, 0, 'png', x'00')"),
                                  { id }));
    if (earlierBuild) {
        QVERIFY(database->execute(QStringLiteral("DROP TRIGGER ContactCardsDelete")));
        QVERIFY(database->execute(QStringLiteral("DROP TRIGGER CardImagesDelete")));
    }
    QVERIFY(
        database->execute(QStringLiteral("DELETE FROM Contacts WHERE ID = ?"), { ids.first() }));
    if (mend == Mend::AtOpening)
        QVERIFY(Schema::addMissingTriggers(*database));
    if (mend == Mend::AtNextCardKept)
        QVERIFY(store.keep(ids.last(), readOne("BEGIN:VCARD\nVERSION:4.0\nFN:乙\nEND:VCARD\n")));

    const auto cards
        = database->records(QStringLiteral("SELECT Card FROM ContactCards ORDER BY ContactID"));
    QVERIFY(cards.ok());
    QStringList left;
    for (const QSqlRecord &card : cards.value())
        left << readOne(card.value(0).toByteArray()).firstText(QStringLiteral("FN"));
    QTEST(left, "left");
    // Keeping a card mends only the cards table; the pictures' table waits for its own write.
    if (mend != Mend::AtNextCardKept)
        QCOMPARE(
            database->scalar(QStringLiteral("SELECT COUNT(*) FROM CardImages")).value().toInt(),
            left.size());
}

QTEST_GUILESS_MAIN(tst_CardRoundTrip)
#include "tst_cardroundtrip.moc"
