#include "ContactFixture.h"
#include "RawSql.h"
#include "SandboxedDataFile.h"
#include "categories/CategoryKind.h"
#include "categories/CategoryModel.h"
#include "contacts/ContactNames.h"
#include "contacts/ContactRows.h"
#include "contacts/ContactSearch.h"
#include "contacts/ContactSearchIndex.h"
#include "contacts/ContactStore.h"
#include "contacts/TextOrder.h"
#include "data/DataFileImport.h"
#include "data/Database.h"
#include "data/SampleData.h"
#include "data/Transaction.h"

#include <QtTest>

using Ids = QList<qint64>;

namespace {

QString rowText(qint64 id, const QStringList &columns)
{
    return QString::number(id) + u'|' + columns.join(u'|');
}

// The search as it was made before the index: every row read from the file for each search.
// Kept as the yardstick the index must match, row for row and in order.
QStringList searchTheFile(Database &database, const QString &keyText)
{
    const bool all = ContactSearch::listsAll(keyText);
    const QStringList words = ContactSearch::keywords(keyText);
    QStringList rows;
    const Status read = database.select(
        QStringLiteral("SELECT * FROM Contacts ORDER BY ID DESC"), {}, [&](const QSqlQuery &row) {
            const QSqlRecord record = row.record();
            const auto text = [&](const char *name) {
                return ContactNames::trimBlanks(record.value(QLatin1String(name)).toString())
                    .toString();
            };
            const QString name
                = ContactNames::displayName(record.value(1).toString(), record.value(2).toString());
            bool found = all;
            for (int field = 1; field < record.count() && !found; ++field) {
                for (const QString &word : words)
                    found = found || record.value(field).toString().contains(word);
            }
            if (found && !ContactNames::isReserved(name))
                rows << rowText(record.value(0).toLongLong(),
                                { name, text("Title"), text("CompanyName"), text("Data1"),
                                  text("Email"), text("Address1") + u' ' + text("Address2"),
                                  text("Type") });
        });
    if (!read)
        QTest::qFail(qPrintable(read.message()), __FILE__, __LINE__);
    return rows;
}

QStringList searchTheIndex(ContactSearchIndex &index, const QString &keyText)
{
    const auto found = index.search(keyText);
    if (!found)
        QTest::qFail(qPrintable(found.message()), __FILE__, __LINE__);
    QStringList rows;
    for (const quint32 contact : found.value().contacts) {
        QStringList columns;
        for (int column = 0; column < ContactSearchIndex::columnCount; ++column)
            columns << index.columnText(contact, column);
        rows << rowText(index.id(contact), columns);
    }
    return rows;
}

enum class Change {
    EditorStore,
    NewContact,
    Delete,
    Drag,
    GroupRename,
    Import,
    SecondConnection,
    DeleteEverything,
    RolledBack
};

} // namespace

Q_DECLARE_METATYPE(Change)

class TestContactSearch : public QObject, protected SandboxedDataFile
{
    Q_OBJECT

private:
    QVariantMap fields(std::initializer_list<std::pair<const char *, QString>> pairs)
    {
        QVariantMap map;
        for (const auto &[name, value] : pairs)
            map.insert(QLatin1String(name), value);
        return map;
    }

    // IDs 1 to 8 in this order; 4 is the template and 5 the placeholder.
    void addContacts()
    {
        Transaction transaction(*database);
        QVERIFY(transaction.begin());
        addContact(*database, QStringLiteral("张"), QStringLiteral("三"),
                   fields({ { "Title", QStringLiteral("经理") },
                            { "CompanyName", QStringLiteral("华信科技有限公司") },
                            { "Combo1", QStringLiteral("手机") },
                            { "Data1", QStringLiteral("13800000000") },
                            { "Email", QStringLiteral("zhang@example.cn") } }));
        addContact(*database, QStringLiteral("李"), QStringLiteral("四"),
                   fields({ { "CompanyName", QStringLiteral("Acme Corp") },
                            { "Combo2", QStringLiteral("手机") },
                            { "Data2", QStringLiteral("13900000000") },
                            { "Notes", QStringLiteral("喜欢喝茶") } }));
        addContact(*database, QStringLiteral("王"), QStringLiteral("五"),
                   fields({ { "Notes", QStringLiteral("张三的朋友") },
                            { "Email", QStringLiteral("WANG@EXAMPLE.CN") } }));
        addContact(*database, QStringLiteral("模板"), QStringLiteral("模板"),
                   fields({ { "CompanyName", QStringLiteral("Acme Corp") },
                            { "Notes", QStringLiteral("张 手机 经理 模板 名字") } }));
        addContact(*database, QStringLiteral("姓"), QStringLiteral("名字"),
                   fields({ { "Title", QStringLiteral("经理") },
                            { "Notes", QStringLiteral("张 手机 Acme") } }));
        addContact(*database, QStringLiteral("\u3000欧阳 "), QStringLiteral(" \u00A0明\u2003"),
                   fields({ { "Title", QStringLiteral(" 主管\u202F") },
                            { "CompanyName", QStringLiteral("蓝天软件 ") },
                            { "Address1", QStringLiteral("\u3000北京市") },
                            { "Address2", QStringLiteral("中山路 ") },
                            { "Type", QStringLiteral("同事") },
                            { "Combo3", QStringLiteral("传真") },
                            { "Data3", QStringLiteral("010-88888888") },
                            { "Postcode", QStringLiteral(" 100000") } }));
        addContact(*database, QStringLiteral("模板"), QStringLiteral("其他"));
        addContact(*database, QStringLiteral("Smith"), QStringLiteral("Anna"),
                   fields({ { "CompanyName", QStringLiteral("Globex GmbH") },
                            { "Website", QStringLiteral("http://www.globex.example") } }));
        QVERIFY(transaction.commit());
    }

    Ids search(ContactSearchIndex &index, const QString &keyText)
    {
        const auto found = index.search(keyText);
        if (!found)
            QTest::qFail(qPrintable(found.message()), __FILE__, __LINE__);
        Ids ids;
        for (const quint32 contact : found.value().contacts)
            ids << index.id(contact);
        return ids;
    }

    // Stores a change as the editor does.
    void edit(qint64 id, const std::function<void(ContactRecord &)> &change)
    {
        auto record = ContactStore(*database).load(id);
        QVERIFY(record);
        ContactRecord edited = record.value();
        change(edited);
        QVERIFY(ContactStore(*database).save({ record.value(), edited }).ok());
    }

    static DataFileImport::DuplicateChoice skipDuplicate(const QString &, const QString &)
    {
        return DataFileImport::DuplicateChoice::Skip;
    }

    void make(Change change, ContactSearchIndex &index)
    {
        switch (change) {
        case Change::EditorStore:
            return edit(1, [](ContactRecord &contact) {
                contact.companyName = QStringLiteral("新公司");
                contact.firstName = QStringLiteral("赵");
            });
        case Change::NewContact: {
            auto fresh = ContactStore(*database).fresh();
            QVERIFY(fresh);
            fresh.value().firstName = QStringLiteral("新");
            fresh.value().lastName = QStringLiteral("朋友");
            QVERIFY(ContactStore(*database).add(fresh.value()).ok());
            return;
        }
        case Change::Delete:
            QVERIFY(ContactRows::remove(*database, 1));
            return;
        case Change::Drag:
            QVERIFY(ContactRows::setGroup(*database, 2, QStringLiteral("同事")));
            return;
        case Change::GroupRename: {
            // A new data file has this group; contact 6 belongs to it.
            CategoryModel categories(*database);
            const auto group
                = categories.find(CategoryKind::RelationshipGroup, QStringLiteral("同事"));
            QVERIFY(group && group.value());
            QVERIFY(categories.update(group.value()->id, QStringLiteral("老同事"), {}));
            return;
        }
        case Change::Import: {
            const QString source = sandbox->path(QStringLiteral("source.cot"));
            QVERIFY(SampleData::write(source, { 40, 3, 7 }));
            DataFileImport import(*database);
            import.onDuplicate = skipDuplicate;
            QVERIFY(import.importFile(source));
            return;
        }
        case Change::SecondConnection:
            QVERIFY(
                RawSql::run(file,
                            { QStringLiteral("UPDATE Contacts SET Notes = '朋友' WHERE ID = 3"),
                              QStringLiteral("DELETE FROM Contacts WHERE ID = 2"),
                              QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Email) "
                                             "VALUES ('新', '人', 'zhang@example.cn')") }));
            return;
        case Change::DeleteEverything:
            QVERIFY(database->execute(QStringLiteral("DELETE FROM Contacts")));
            return;
        case Change::RolledBack: {
            Transaction transaction(*database);
            QVERIFY(transaction.begin());
            QVERIFY(
                database->execute(QStringLiteral("UPDATE Contacts SET Title = '新' WHERE ID = 1")));
            QCOMPARE(search(index, QStringLiteral("新")), Ids { 1 });
            return;
        }
        }
    }

private slots:
    void init() { QVERIFY(openDataFile()); }

    void cleanup() { closeDataFile(); }

    void findsContactsHoldingAnyKeyword_data()
    {
        QTest::addColumn<QString>("keyText");
        QTest::addColumn<Ids>("expected");
        const Ids everyone { 8, 7, 6, 3, 2, 1 };
        QTest::newRow("star lists all") << QStringLiteral("*") << everyone;
        QTest::newRow("empty text lists all") << QString() << everyone;
        QTest::newRow("prompt lists all") << QStringLiteral("请在此输入搜索关键字") << everyone;
        QTest::newRow("prompt with a blank is a keyword")
            << QStringLiteral("请在此输入搜索关键字 ") << Ids {};
        QTest::newRow("two stars are a keyword") << QStringLiteral("**") << Ids {};
        QTest::newRow("whole family name") << QStringLiteral("张") << Ids { 3, 1 };
        QTest::newRow("family and given name in one field only")
            << QStringLiteral("张三") << Ids { 3 };
        QTest::newRow("family and given name as two keywords")
            << QStringLiteral("张 三") << Ids { 3, 1 };
        QTest::newRow("capitalised word") << QStringLiteral("Acme") << Ids { 2 };
        QTest::newRow("lower case misses capitals") << QStringLiteral("acme") << Ids {};
        QTest::newRow("leading blank finds nothing") << QStringLiteral(" 张") << Ids {};
        QTest::newRow("two blanks use only the first keyword")
            << QStringLiteral("李  张") << Ids { 2 };
        QTest::newRow("trailing blank is harmless") << QStringLiteral("张 ") << Ids { 3, 1 };
        QTest::newRow("blanks only") << QStringLiteral("   ") << Ids {};
        QTest::newRow("full-width blank is part of the keyword")
            << QStringLiteral("张　李") << Ids {};
        QTest::newRow("number label") << QStringLiteral("手机") << Ids { 2, 1 };
        QTest::newRow("two keywords in one contact listed once")
            << QStringLiteral("经理 华信 张") << Ids { 3, 1 };
        QTest::newRow("template and placeholder never listed")
            << QStringLiteral("模板 名字 姓") << Ids { 7 };
        QTest::newRow("identity is not searched") << QStringLiteral("2") << Ids {};
        QTest::newRow("untrimmed address field") << QStringLiteral("中山路") << Ids { 6 };
        QTest::newRow("relationship group") << QStringLiteral("同事") << Ids { 6 };
        QTest::newRow("notes") << QStringLiteral("喝茶") << Ids { 2 };
        QTest::newRow("field the list does not show") << QStringLiteral("www.globex") << Ids { 8 };
        QTest::newRow("keywords never span fields") << QStringLiteral("SmithAnna") << Ids {};
    }

    void findsContactsHoldingAnyKeyword()
    {
        QFETCH(QString, keyText);
        QFETCH(Ids, expected);
        addContacts();
        ContactSearchIndex index(*database);
        QCOMPARE(search(index, keyText), expected);
        QCOMPARE(index.search(keyText).value().contactsRead, 8);
        QCOMPARE(searchTheIndex(index, keyText), searchTheFile(*database, keyText));
    }

    // The pinyin rules are tested on the matcher; here that the index gives names and companies to
    // it.
    void findsByPinyin_data()
    {
        QTest::addColumn<QString>("keyText");
        QTest::addColumn<Ids>("expected");
        QTest::newRow("initials") << QStringLiteral("zsf") << Ids { 9 };
        QTest::newRow("spelling then initial") << QStringLiteral("zhangs") << Ids { 9, 1 };
        QTest::newRow("company initials") << QStringLiteral("hxkj") << Ids { 1 };
        QTest::newRow("only keywords before two blanks")
            << QStringLiteral("zsf  hxkj") << Ids { 9 };
    }

    void findsByPinyin()
    {
        QFETCH(QString, keyText);
        QFETCH(Ids, expected);
        addContacts();
        QCOMPARE(addContact(*database, QStringLiteral("张"), QStringLiteral("三丰")), qint64(9));
        ContactSearchIndex index(*database);
        QCOMPARE(search(index, keyText), expected);
    }

    void staysCurrentThroughEveryChange_data()
    {
        QTest::addColumn<Change>("change");
        QTest::newRow("editor store") << Change::EditorStore;
        QTest::newRow("new contact") << Change::NewContact;
        QTest::newRow("delete") << Change::Delete;
        QTest::newRow("drag to another group") << Change::Drag;
        QTest::newRow("group rename") << Change::GroupRename;
        QTest::newRow("import") << Change::Import;
        QTest::newRow("second connection") << Change::SecondConnection;
        QTest::newRow("every contact deleted at once") << Change::DeleteEverything;
        QTest::newRow("rolled back") << Change::RolledBack;
    }

    void staysCurrentThroughEveryChange()
    {
        QFETCH(Change, change);
        addContacts();
        ContactSearchIndex index(*database);
        QVERIFY(index.search(QStringLiteral("*")));
        make(change, index);
        for (const QString &keyText :
             { QStringLiteral("*"), QStringLiteral("张 赵 新"), QStringLiteral("同事 手机"),
               QStringLiteral("朋友"), QStringLiteral("公司 zhang@") })
            QCOMPARE(searchTheIndex(index, keyText), searchTheFile(*database, keyText));
    }

    void rowsHoldTrimmedTexts()
    {
        addContacts();
        ContactSearchIndex index(*database);
        const auto found = index.search(QStringLiteral("蓝天"));
        QVERIFY2(found, qPrintable(found.message()));
        QCOMPARE(found.value().contacts.size(), 1u);
        const ContactRow row = index.row(found.value().contacts.front());
        QCOMPARE(row.id, 6);
        QCOMPARE(row.displayName, QStringLiteral("欧阳 明"));
        QCOMPARE(
            row.columnTexts(),
            QStringList({ QStringLiteral("主管"), QStringLiteral("蓝天软件"), QString(), QString(),
                          QStringLiteral("北京市 中山路"), QStringLiteral("同事") }));
        QCOMPARE(row.postcode, QStringLiteral("100000"));
        QCOMPARE(row.labels[2], QStringLiteral("传真"));
        QCOMPARE(row.numbers[2], QStringLiteral("010-88888888"));
        QVERIFY(row.labels[0].isEmpty());
    }

    void emptyFileGivesNoRows()
    {
        const auto found = ContactSearchIndex(*database).search(QStringLiteral("*"));
        QVERIFY2(found, qPrintable(found.message()));
        QVERIFY(found.value().contacts.empty());
        QCOMPARE(found.value().contactsRead, 0);
    }

    void namesWithQuotesAndPercentAreFound()
    {
        const qint64 id = addContact(*database, QStringLiteral("O'Brien"), QStringLiteral("100%"));
        addContact(*database, QStringLiteral("别人"), QStringLiteral("名"));
        ContactSearchIndex index(*database);
        QCOMPARE(search(index, QStringLiteral("O'B 0%")), Ids { id });
    }

    void readFailureIsReported()
    {
        addContacts();
        ContactSearchIndex index(*database);
        QVERIFY(index.search(QStringLiteral("张")));
        QVERIFY(RawSql::run(file, { QStringLiteral("DROP TABLE Contacts") }));
        const auto found = index.search(QStringLiteral("张"));
        QVERIFY(!found);
        QVERIFY(!found.message().isEmpty());
    }

    void reservedNames_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<bool>("reserved");
        QTest::newRow("placeholder") << QStringLiteral("姓") << QStringLiteral("名字") << true;
        QTest::newRow("template") << QStringLiteral("模板") << QStringLiteral("模板") << true;
        QTest::newRow("placeholder with outer blanks")
            << QStringLiteral(" 姓 ") << QStringLiteral("名字  ") << true;
        QTest::newRow("template family name only")
            << QStringLiteral("模板") << QStringLiteral("其他") << false;
        QTest::newRow("names swapped") << QStringLiteral("名字") << QStringLiteral("姓") << false;
        QTest::newRow("whole name in one part") << QStringLiteral("姓 名字") << QString() << false;
        QTest::newRow("placeholder with unicode blanks")
            << QStringLiteral("\u3000姓") << QStringLiteral("名字\u00A0") << true;
        QTest::newRow("tab is not a blank")
            << QStringLiteral("姓\t") << QStringLiteral("名字") << false;
    }

    void reservedNames()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(bool, reserved);
        QCOMPARE(ContactNames::isReserved(first, last), reserved);
        QCOMPARE(ContactNames::isReserved(ContactNames::displayName(first, last)), reserved);
    }

    // The pinyin order itself is tested with the pinyin keys; here only that equal texts keep
    // their places, which a list sorted again and again must do.
    void equalTextsKeepTheirPositions()
    {
        const QStringList texts { QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("b"),
                                  QStringLiteral("a") };
        QCOMPARE(TextOrder::ascending(texts), QList<int>({ 1, 3, 0, 2 }));
    }
};

QTEST_GUILESS_MAIN(TestContactSearch)
#include "tst_contactsearch.moc"
