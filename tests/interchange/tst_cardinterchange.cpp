#include "SandboxedDataFile.h"
#include "cards/CardProjection.h"
#include "cards/CardReader.h"
#include "cards/CardWriter.h"
#include "cards/PersonName.h"
#include "contacts/ContactRows.h"
#include "contacts/ContactStore.h"
#include "data/DataFileFactory.h"
#include "interchange/CardExport.h"
#include "interchange/CardImport.h"
#include "interchange/ContactColumns.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

Q_DECLARE_METATYPE(CardFormat)

namespace {

ContactRecord contact(const QString &family, const QString &given, const QString &group)
{
    ContactRecord c;
    c.firstName = family;
    c.lastName = given;
    c.type = group;
    return c;
}

// Every field a card carries, with the texts that trip writers up: separators, escapes,
// line breaks, long lines, formula characters, a label no vCard type names.
QList<ContactRecord> samples()
{
    ContactRecord zhang
        = contact(QStringLiteral("张"), QStringLiteral("三丰"), QStringLiteral("客户"));
    zhang.title = QStringLiteral("经理");
    zhang.companyName = QStringLiteral("华信, 有限公司; 北京");
    zhang.address1 = QStringLiteral("中关村大街1号");
    zhang.address2 = QStringLiteral("北京");
    zhang.postcode = QStringLiteral("100080");
    zhang.numbers = { QStringLiteral("010-1234"), QStringLiteral("+86 138 0013 8000"),
                      QStringLiteral("=SUM(A1)"), QString() };
    zhang.labels
        = { QStringLiteral("电话"), QStringLiteral("手机"), QStringLiteral("QQ"), QString() };
    zhang.email = QStringLiteral("zhang@example.cn");
    zhang.website = QStringLiteral("https://example.cn/a?b=1&c=2");
    zhang.notes = QStringLiteral("第一行\n第二行：a\\b, c; d\n") + QString(60, QChar(0x957F))
        + QStringLiteral("结束");
    ContactRecord smith
        = contact(QStringLiteral("Smith"), QStringLiteral("John Paul"), QStringLiteral("其他方面"));
    smith.numbers[0] = QStringLiteral("-5");
    smith.labels[0] = QStringLiteral("传真");
    ContactRecord ouyang
        = contact(QStringLiteral("欧阳"), QStringLiteral("娜娜"), QStringLiteral("朋友"));
    ouyang.numbers
        = { QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"), QStringLiteral("4") };
    ouyang.labels = { QStringLiteral("手机"), QStringLiteral("办公电话"),
                      QStringLiteral("家庭电话"), QStringLiteral("寻呼机") };
    ouyang.email = QStringLiteral("@handle");
    ouyang.notes = QStringLiteral("@mention");
    return { zhang, smith, ouyang };
}

QList<ContactRecord> contactsIn(Database &database)
{
    QList<ContactRecord> rows;
    database.select(QStringLiteral("SELECT %1 FROM Contacts WHERE FirstName NOT IN ('模板', '姓') "
                                   "ORDER BY ID")
                        .arg(ContactColumns::list()),
                    {}, [&rows](const QSqlQuery &row) { rows << ContactColumns::fromQuery(row); });
    return rows;
}

QStringList fields(const ContactRecord &c)
{
    QStringList all;
    for (const QVariant &value : ContactColumns::values(c))
        all << value.toString();
    return all;
}

QList<QStringList> fieldsOf(const QList<ContactRecord> &contacts)
{
    QList<QStringList> all;
    for (const ContactRecord &c : contacts)
        all << fields(c);
    return all;
}

} // namespace

class tst_CardInterchange : public QObject, private SandboxedDataFile
{
    Q_OBJECT

    QString runPython(const QStringList &arguments)
    {
        const QString script
            = QStringLiteral(ZORVANE_SOURCE_DIR "/tests/interchange/card_readers.py");
        QProcess python;
        // Debian's own interpreter, which python3-vobject is installed for.
        python.start(QStringLiteral("/usr/bin/python3"), QStringList { script } + arguments);
        if (!python.waitForFinished(60000) || python.exitCode() != 0) {
            qWarning("%s", python.readAllStandardError().constData());
            return {};
        }
        return QString::fromUtf8(python.readAllStandardOutput());
    }

    void writeSamples(Database &target)
    {
        CardImport importer(target);
        const auto written = importer.write(samples());
        QVERIFY2(written.ok(), qPrintable(written.message()));
    }

    QString exportAll(CardFormat format)
    {
        const QString path = sandbox->path(QStringLiteral("out.card"));
        CardExport exporter(*database, CardExport::Scope(), format);
        const auto written = exporter.writeFile(path);
        return written.ok() && written.value() == samples().size() ? path : QString();
    }

private slots:
    void init() { QVERIFY(openDataFile()); }
    void cleanup() { closeDataFile(); }

    void exportReadsBackHereAndElsewhere_data();
    void exportReadsBackHereAndElsewhere();
    void importsCardsVobjectWrites();
    void importWritesTheChosenContactsAndMissingGroups();
    void cancelledImportLeavesTheFileAsItWas();
    void fileChangedSincePlannedIsRefused_data();
    void fileChangedSincePlannedIsRefused();
    void exportWritesTheChosenScopeOnly();
    void largeExportKeepsOrderAndCancelsWhole();
};

void tst_CardInterchange::exportReadsBackHereAndElsewhere_data()
{
    QTest::addColumn<CardFormat>("format");
    QTest::addColumn<QString>("reader");
    QTest::newRow("vCard 3.0") << CardFormat::VCard30 << "vcard";
    QTest::newRow("vCard 4.0") << CardFormat::VCard40 << "vcard";
    QTest::newRow("vCard 2.1") << CardFormat::VCard21 << "vcard";
    QTest::newRow("CSV UTF-8") << CardFormat::CsvUtf8 << "csv-utf8";
    QTest::newRow("CSV GB18030") << CardFormat::CsvGb18030 << "csv-gb18030";
}

// Our own import gives back every field; an independent reader sees the same people.
void tst_CardInterchange::exportReadsBackHereAndElsewhere()
{
    QFETCH(CardFormat, format);
    QFETCH(QString, reader);
    writeSamples(*database);
    const QString path = exportAll(format);
    QVERIFY(!path.isEmpty());

    const QString emptyFile = sandbox->path(QStringLiteral("empty.cot"));
    QVERIFY(DataFileFactory::createDataFile(emptyFile));
    auto target = Database::open(emptyFile);
    QVERIFY(target.ok());
    CardImport importer(*target.value());
    const auto plan = importer.plan(CardFileReader::Source::file(path));
    QVERIFY2(plan.ok(), qPrintable(plan.message()));
    QCOMPARE(plan.value().fresh, samples().size());
    QVERIFY(importer.write({ plan.value() }, CardImport::Choice::NewOnly).ok());
    QCOMPARE(fieldsOf(contactsIn(*target.value())), fieldsOf(samples()));

    const QJsonArray people = QJsonDocument::fromJson(runPython({ reader, path }).toUtf8()).array();
    const QList<ContactRecord> expected = samples();
    // The full names other programs show: Chinese names family first without a space.
    const QStringList fullNames { QStringLiteral("张三丰"), QStringLiteral("John Paul Smith"),
                                  QStringLiteral("欧阳娜娜") };
    QCOMPARE(people.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        const ContactRecord &c = expected.at(i);
        const QJsonObject person = people.at(i).toObject();
        QCOMPARE(person.value("family").toString(), c.firstName);
        QCOMPARE(person.value("given").toString(), c.lastName);
        if (reader == u"vcard")
            QCOMPARE(person.value("fn").toString(), fullNames.at(i));
        QStringList numbers(c.numbers.cbegin(), c.numbers.cend());
        numbers.removeAll(QString());
        QCOMPARE(person.value("tels").toVariant().toStringList(), numbers);
        QCOMPARE(person.value("emails").toVariant().toStringList(),
                 c.email.isEmpty() ? QStringList() : QStringList { c.email });
        QCOMPARE(person.value("note").toString().replace("\r\n", "\n"), c.notes);
    }
}

void tst_CardInterchange::importsCardsVobjectWrites()
{
    const QString path = sandbox->path(QStringLiteral("vobject.vcf"));
    runPython({ QStringLiteral("write"), path });
    const auto contents = CardFileReader::readFile(path);
    QVERIFY2(contents.ok(), qPrintable(contents.message()));
    QCOMPARE(contents.value().contacts.size(), 1);
    const ContactRecord &c = contents.value().contacts.first();
    QCOMPARE(QStringList({ c.firstName, c.lastName, c.numbers[0], c.labels[0], c.email, c.notes,
                           c.type, c.companyName }),
             QStringList({ "诸葛", "亮", "+86 10 1234", "手机", "kongming@example.cn",
                           "第一行\n第二行, 逗号; 分号", "蜀国", "蜀汉" }));
}

void tst_CardInterchange::importWritesTheChosenContactsAndMissingGroups()
{
    // The group card comes after its member: the member joins it all the same.
    const QString file = "BEGIN:VCARD\nFN:张三\nCATEGORIES:新组\nEND:VCARD\n"
                         "BEGIN:VCARD\nFN:李四\nUID:li4\nCATEGORIES:新组\nEND:VCARD\n"
                         "BEGIN:VCARD\nFN;CHARSET=NO-SUCH:x\nEND:VCARD\n"
                         "BEGIN:VCARD\nVERSION:4.0\nKIND:group\nFN:球友\nMEMBER:urn:uuid:li4\n"
                         "END:VCARD\n";
    QVERIFY(database->execute("INSERT INTO Contacts (FirstName, LastName) VALUES ('张', '三')"));
    const qint64 groupsBefore
        = database->scalar("SELECT MAX(Number) FROM ContactType WHERE Type = 3")
              .value()
              .toLongLong();

    CardImport importer(*database);
    const auto plan = importer.plan(CardFileReader::Source::inMemory(file.toUtf8()));
    QVERIFY(plan.ok());
    QCOMPARE(plan.value().summary(),
             QStringLiteral("新联系人：1个\n与已有联系人同名：1个\n无法读取：2处\n"
                            "第10行：名片没有姓名\n第11行：不认识的字符集“NO-SUCH”"));
    const auto rows = [this] {
        const auto read = database->records("SELECT FirstName, Type FROM Contacts ORDER BY ID");
        QStringList found;
        for (const QSqlRecord &row : read.value())
            found << row.value(0).toString() + u'/' + row.value(1).toString();
        return found;
    };
    QCOMPARE(importer.write({ plan.value() }, CardImport::Choice::NewOnly).value(), 1);
    QCOMPARE(rows(), (QStringList { "张/", "李/球友" }));
    QCOMPARE(importer.write({ plan.value() }, CardImport::Choice::All).value(), 2);
    QCOMPARE(rows(), (QStringList { "张/", "李/球友", "张/新组", "李/球友" }));
    const auto groups = database->records(
        "SELECT Name FROM ContactType WHERE Type = 3 AND Number > ? ORDER BY Number",
        { groupsBefore });
    QStringList added;
    for (const QSqlRecord &group : groups.value())
        added << group.value(0).toString();
    QCOMPARE(added, (QStringList { "球友", "新组" }));
}

void tst_CardInterchange::cancelledImportLeavesTheFileAsItWas()
{
    const auto before = database->scalar("SELECT COUNT(*) FROM Contacts").value().toInt();
    const auto categories = database->scalar("SELECT COUNT(*) FROM ContactType").value().toInt();
    QList<ContactRecord> many;
    for (int i = 0; i < 1200; ++i)
        many << contact(QStringLiteral("测"), QString::number(i), QStringLiteral("另一组"));
    CardImport importer(*database);
    importer.onProgress = [](int done, int) { return done < 1000; };
    QVERIFY(!importer.write(many).ok());
    QCOMPARE(database->scalar("SELECT COUNT(*) FROM Contacts").value().toInt(), before);
    QCOMPARE(database->scalar("SELECT COUNT(*) FROM ContactType").value().toInt(), categories);
}

void tst_CardInterchange::fileChangedSincePlannedIsRefused_data()
{
    QTest::addColumn<QByteArray>("changed");
    QTest::addColumn<QString>("refusal");
    const QString edited = QStringLiteral("在读取之后被改动过，没有导入任何联系人。");
    QTest::newRow("another name, same size")
        << QByteArray("BEGIN:VCARD\nFN:李四\nEND:VCARD\n") << edited;
    QTest::newRow("a card more") << QByteArray(
        "BEGIN:VCARD\nFN:张三\nEND:VCARD\nBEGIN:VCARD\nFN:王五\nEND:VCARD\n")
                                 << edited;
    QTest::newRow("removed") << QByteArray() << QStringLiteral("无法打开文件");
}

// Writing reads the files again: one that changed since its summary refuses the whole import,
// the unchanged file read with it included.
void tst_CardInterchange::fileChangedSincePlannedIsRefused()
{
    QFETCH(QByteArray, changed);
    QFETCH(QString, refusal);
    const QString kept = sandbox->path(QStringLiteral("kept.vcf"));
    const QString edited = sandbox->path(QStringLiteral("edited.vcf"));
    const auto save = [](const QString &path, const QByteArray &bytes) {
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    };
    QVERIFY(save(kept, "BEGIN:VCARD\nFN:赵六\nEND:VCARD\n"));
    QVERIFY(save(edited, "BEGIN:VCARD\nFN:张三\nEND:VCARD\n"));
    CardImport importer(*database);
    const auto first = importer.plan(CardFileReader::Source::file(kept));
    const auto second = importer.plan(CardFileReader::Source::file(edited));
    QVERIFY(first.ok() && second.ok());
    QVERIFY(changed.isEmpty() ? QFile::remove(edited) : save(edited, changed));
    const int before = database->scalar("SELECT COUNT(*) FROM Contacts").value().toInt();

    const auto written = importer.write({ first.value(), second.value() }, CardImport::Choice::All);
    QVERIFY(!written.ok());
    QVERIFY2(written.message().contains(refusal), qPrintable(written.message()));
    QCOMPARE(database->scalar("SELECT COUNT(*) FROM Contacts").value().toInt(), before);
}

void tst_CardInterchange::exportWritesTheChosenScopeOnly()
{
    writeSamples(*database);
    QVERIFY(ContactRows::templateRow(*database).ok());
    QVERIFY(ContactStore(*database).add(ContactStore(*database).fresh().value()).ok());
    const auto ids = database->records("SELECT ID FROM Contacts WHERE FirstName IN "
                                       "('张', '欧阳', '模板', '姓') ORDER BY ID DESC");
    CardExport::Scope rows { CardExport::Scope::Kind::Rows, {}, {} };
    for (const QSqlRecord &id : ids.value())
        rows.ids << id.value(0).toLongLong();
    const CardExport::Scope group { CardExport::Scope::Kind::Group, QStringLiteral("客户"), {} };
    const QString path = sandbox->path(QStringLiteral("scope.vcf"));
    for (const auto &[scope, names] :
         { std::pair { rows, QStringList { "欧阳", "张" } },
           std::pair { group, QStringList { "张" } },
           std::pair { CardExport::Scope(), QStringList { "张", "Smith", "欧阳" } } }) {
        QVERIFY(CardExport(*database, scope, CardFormat::VCard30).writeFile(path).ok());
        const auto read = CardFileReader::readFile(path);
        QStringList written;
        for (const ContactRecord &c : read.value().contacts)
            written << c.firstName;
        QCOMPARE(written, names);
    }
}

// Cards are made in batches on several threads: the file must still hold every contact once, in
// order, each with its own kept card; a cancel leaves the old file as it was.
void tst_CardInterchange::largeExportKeepsOrderAndCancelsWhole()
{
    constexpr int count = 1500;
    QList<ContactRecord> rows;
    QList<QByteArray> kept;
    for (int i = 0; i < count; ++i) {
        rows << contact(QStringLiteral("P%1").arg(i), QStringLiteral("Q"), QStringLiteral("客户"));
        Card card = CardProjection::fromRow(rows.last());
        card.properties.append(
            { {}, QStringLiteral("NICKNAME"), {}, QStringLiteral("k%1").arg(i) });
        kept << CardWriter::keep(card);
    }
    QCOMPARE(CardImport(*database).write(rows, kept).value(), count);
    const QString path = sandbox->path(QStringLiteral("large.vcf"));
    CardExport exporter(*database, CardExport::Scope(), CardFormat::VCard30);
    QCOMPARE(exporter.writeFile(path).value(), count);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray written = file.readAll();
    const QList<Card> cards = CardReader::readAll(written);
    QCOMPARE(cards.size(), count);
    for (int i = 0; i < count; ++i) {
        QCOMPARE(cards.at(i).firstText(QStringLiteral("FN")), QStringLiteral("Q P%1").arg(i));
        QCOMPARE(cards.at(i).firstText(QStringLiteral("NICKNAME")), QStringLiteral("k%1").arg(i));
    }
    file.close();

    exporter.onProgress = [](int done, int) { return done < 1000; };
    const auto cancelled = exporter.writeFile(path);
    QCOMPARE(cancelled.message(), QStringLiteral("导出已取消。"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), written);
}

QTEST_GUILESS_MAIN(tst_CardInterchange)
#include "tst_cardinterchange.moc"
