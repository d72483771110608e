#include "ContactFixture.h"
#include "RawSql.h"
#include "SandboxedDataFile.h"
#include "contacts/ContactGroup.h"
#include "contacts/ContactRows.h"
#include "contacts/ContactStore.h"
#include "data/Database.h"

#include <QtTest>

Q_DECLARE_METATYPE(ContactStore::SaveOutcome)
Q_DECLARE_METATYPE(ContactStore::Conflicts)

class TestContactStore : public QObject, protected SandboxedDataFile
{
    Q_OBJECT

private:
    QVariantList storedRow(qint64 id) const
    {
        const auto rows = RawSql::rows(
            file,
            QStringLiteral(
                "SELECT FirstName, LastName, Title, Type, CompanyName, Address1, "
                "Address2, Address3, Postcode, Data1, Data2, Data3, Data4, Combo1, "
                "Combo2, Combo3, Combo4, Email, Website, Notes FROM Contacts WHERE ID = %1")
                .arg(id));
        return rows.isEmpty() ? QVariantList() : rows.first();
    }

    static ContactRecord filledRecord(qint64 id)
    {
        ContactRecord record;
        record.id = id;
        record.firstName = QStringLiteral("O'Hara");
        record.lastName = QStringLiteral("金");
        record.title = QStringLiteral("经理");
        record.type = QStringLiteral("客户");
        record.companyName = QStringLiteral("Acme \"Ltd\"");
        record.address1 = QStringLiteral("一路1号");
        record.address2 = QStringLiteral("二楼");
        record.address3 = QStringLiteral("三");
        record.postcode = QStringLiteral("100000");
        record.numbers = { QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3"),
                           QStringLiteral("4") };
        record.labels = { QStringLiteral("办公电话"), QStringLiteral("手机"),
                          QStringLiteral("传真"), QStringLiteral("我的标签") };
        record.email = QStringLiteral("a@b.cn");
        record.website = QStringLiteral("www.example.com");
        record.notes = QStringLiteral("第一行\n第二行; DROP TABLE Contacts; --");
        return record;
    }

private slots:
    void init() { QVERIFY(openDataFile()); }

    void cleanup() { closeDataFile(); }

    void loadsEveryFieldWithNullsAsEmptyText()
    {
        const qint64 id = addContact(*database, QStringLiteral("王"), QStringLiteral("五"),
                                     { { QStringLiteral("Combo4"), QStringLiteral("寻呼机") },
                                       { QStringLiteral("Address3"), QStringLiteral(" 隐藏 ") },
                                       { QStringLiteral("Notes"), QStringLiteral("备注") } });
        ContactStore store(*database);
        const auto loaded = store.load(id);
        QVERIFY2(loaded, qPrintable(loaded.message()));
        const ContactRecord &record = loaded.value();
        QCOMPARE(record.id, id);
        QCOMPARE(record.displayName(), QStringLiteral("王 五"));
        QCOMPARE(record.labels[3], QStringLiteral("寻呼机"));
        QCOMPARE(record.address3, QStringLiteral(" 隐藏 "));
        QCOMPARE(record.notes, QStringLiteral("备注"));
        QVERIFY(record.type.isEmpty());
        QVERIFY(record.website.isEmpty());
    }

    void loadingAMissingRowFails()
    {
        ContactStore store(*database);
        const auto loaded = store.load(4711);
        QVERIFY(!loaded);
        QVERIFY(!loaded.message().isEmpty());
    }

    void savesEveryFieldOfTheRowAndNoOther()
    {
        const qint64 id = addContact(*database, QStringLiteral("王"), QStringLiteral("五"));
        const qint64 other = addContact(*database, QStringLiteral("李"), QStringLiteral("四"),
                                        { { QStringLiteral("Type"), QStringLiteral("朋友") } });
        const QVariantList otherBefore = storedRow(other);
        ContactStore store(*database);
        const ContactRecord record = filledRecord(id);
        QVERIFY(store.save({ store.load(id).value(), record }).ok());

        const QVariantList expected {
            record.firstName,   record.lastName,   record.title,      record.type,
            record.companyName, record.address1,   record.address2,   record.address3,
            record.postcode,    record.numbers[0], record.numbers[1], record.numbers[2],
            record.numbers[3],  record.labels[0],  record.labels[1],  record.labels[2],
            record.labels[3],   record.email,      record.website,    record.notes,
        };
        QCOMPARE(storedRow(id), expected);
        QCOMPARE(storedRow(other), otherBefore);
    }

    void storesOnlyWhatTheUserChanged_data()
    {
        // A second connection writes "field=value" while the editor is open; the editor changes
        // the e-mail or the group; the file then holds the group expected and both changes.
        QTest::addColumn<QString>("storedGroup");
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("edited");
        QTest::addColumn<QString>("group");
        QTest::addColumn<bool>("writes");
        const QString friends = QStringLiteral("朋友");
        QTest::newRow("group renamed meanwhile")
            << friends << QStringLiteral("Type=好友") << QStringLiteral("Email=w@x.cn")
            << QStringLiteral("好友") << true;
        QTest::newRow("number changed by another program")
            << friends << QStringLiteral("Data1=222") << QStringLiteral("Email=w@x.cn") << friends
            << true;
        QTest::newRow("both set the same group")
            << friends << QStringLiteral("Type=家人") << QStringLiteral("Type=家人")
            << QStringLiteral("家人") << true;
        QTest::newRow("nothing changed") << friends << QString() << QString() << friends << false;
        QTest::newRow("empty group gets the default")
            << QString() << QString() << QString() << QStringLiteral("其他方面") << true;
        QTest::newRow("group given meanwhile stays")
            << QString() << QStringLiteral("Type=同事") << QString() << QStringLiteral("同事")
            << false;
        QTest::newRow("group given meanwhile stays beside an edit")
            << QString() << QStringLiteral("Type=同事") << QStringLiteral("Email=w@x.cn")
            << QStringLiteral("同事") << true;
    }

    void storesOnlyWhatTheUserChanged()
    {
        QFETCH(QString, storedGroup);
        QFETCH(QString, meanwhile);
        QFETCH(QString, edited);
        QFETCH(QString, group);
        QFETCH(bool, writes);
        const qint64 id = addContact(*database, QStringLiteral("王"), QStringLiteral("五"),
                                     { { QStringLiteral("Type"), storedGroup } });
        ContactStore store(*database);
        const ContactRecord before = store.load(id).value();
        ContactRecord after = before;
        (edited.startsWith(QLatin1String("Type")) ? after.type : after.email)
            = edited.section(QLatin1Char('='), 1);
        const auto set = [&](const QString &change) {
            return QStringLiteral("UPDATE Contacts SET %1 = '%2' WHERE ID = %3")
                .arg(change.section(QLatin1Char('='), 0, 0), change.section(QLatin1Char('='), 1))
                .arg(id);
        };
        QVERIFY(meanwhile.isEmpty() || RawSql::run(file, { set(meanwhile) }));
        const auto changes = [&] {
            return database->scalar(QStringLiteral("SELECT total_changes()")).value().toInt();
        };
        const int changesBefore = changes();
        QVERIFY(store.save({ before, after }).ok());
        QCOMPARE(changes() > changesBefore, writes);
        const ContactRecord stored = store.load(id).value();
        QCOMPARE(stored.type, group);
        QCOMPARE(stored.email, after.email);
        if (meanwhile.startsWith(QLatin1String("Data1")))
            QCOMPARE(stored.numbers[0], QStringLiteral("222"));
    }

    void groupAndNamesAreStoredByTheirRules_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("storedFirst");
        QTest::addColumn<QString>("storedLast");
        QTest::addColumn<QString>("storedGroup");
        QTest::newRow("separator")
            << QStringLiteral("王") << QStringLiteral("五") << QStringLiteral("a | b | | c")
            << QStringLiteral("王") << QStringLiteral("五") << QStringLiteral("a - b - - c");
        QTest::newRow("kept as typed")
            << QStringLiteral("王") << QStringLiteral("五") << QStringLiteral(" 朋友 ")
            << QStringLiteral("王") << QStringLiteral("五") << QStringLiteral(" 朋友 ");
        QTest::newRow("outer blanks of names")
            << QStringLiteral("  王 ") << QStringLiteral(" 五") << QStringLiteral("朋友")
            << QStringLiteral("王") << QStringLiteral("五") << QStringLiteral("朋友");
        // Blank means blank: the full-width space of Chinese input, the no-break space and kin.
        QTest::newRow("unicode blanks around names")
            << QStringLiteral("\u3000王\u00A0") << QStringLiteral("\u2003五\u3000")
            << QStringLiteral("朋友") << QStringLiteral("王") << QStringLiteral("五")
            << QStringLiteral("朋友");
        QTest::newRow("full-width blank group")
            << QStringLiteral("王") << QStringLiteral("五") << QStringLiteral("\u3000")
            << QStringLiteral("王") << QStringLiteral("五") << QStringLiteral("其他方面");
        QTest::newRow("tab is no blank")
            << QStringLiteral("王") << QStringLiteral("五") << QStringLiteral("\t")
            << QStringLiteral("王") << QStringLiteral("五") << QStringLiteral("\t");
    }

    void groupAndNamesAreStoredByTheirRules()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(QString, group);
        QFETCH(QString, storedFirst);
        QFETCH(QString, storedLast);
        QFETCH(QString, storedGroup);
        const qint64 id = addContact(*database, QStringLiteral("x"), QStringLiteral("y"));
        ContactStore store(*database);
        const ContactRecord before = store.load(id).value();
        ContactRecord record = before;
        record.firstName = first;
        record.lastName = last;
        record.type = group;
        QVERIFY(store.save({ before, record }).ok());
        const QVariantList row = storedRow(id);
        QCOMPARE(row.at(0).toString(), storedFirst);
        QCOMPARE(row.at(1).toString(), storedLast);
        QCOMPARE(row.at(3).toString(), storedGroup);
    }

    // The separator rule itself belongs to the category names.
    void groupRules_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("withDefault");
        QTest::addColumn<QString>("cleaned");
        const QString other = QStringLiteral("其他方面");
        QTest::newRow("empty") << QString() << other << other;
        QTest::newRow("blanks") << QStringLiteral("  ") << other << other;
        QTest::newRow("unicode blanks")
            << QStringLiteral("\u3000\u00A0\u202F\u205F") << other << other;
        QTest::newRow("only a separator")
            << QStringLiteral(" | ") << QStringLiteral(" | ") << QStringLiteral(" - ");
    }

    void groupRules()
    {
        QFETCH(QString, typed);
        QFETCH(QString, withDefault);
        QFETCH(QString, cleaned);
        QCOMPARE(ContactGroup::withDefault(typed), withDefault);
        QCOMPARE(ContactGroup::clean(typed), cleaned);
    }

    // A refused save says why and leaves the row as it was.
    void aRefusedSaveChangesNothing_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<int>("address3Length");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<ContactStore::SaveOutcome>("outcome");
        QTest::addColumn<QString>("message");
        const auto missing = ContactStore::SaveOutcome::NameMissing;
        const auto failed = ContactStore::SaveOutcome::Failed;
        const QString name = QStringLiteral("王");
        const QString nameMissing = QStringLiteral("姓名为必填信息，请不要省略哦！");
        QTest::newRow("no surname")
            << QStringLiteral("  ") << QStringLiteral("五") << 0 << false << missing << nameMissing;
        QTest::newRow("no given name") << name << QString() << 0 << false << missing << nameMissing;
        QTest::newRow("full-width blank surname")
            << QStringLiteral("\u3000") << name << 0 << false << missing << nameMissing;
        QTest::newRow("over-long field")
            << name << name << 101 << false << failed << QStringLiteral("输入的内容过长");
        QTest::newRow("read-only file")
            << name << name << 0 << true << failed << QStringLiteral("数据文件是只读的");
    }

    void aRefusedSaveChangesNothing()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(int, address3Length);
        QFETCH(bool, readOnly);
        QFETCH(QString, message);
        const qint64 id = addContact(*database, QStringLiteral("王"), QStringLiteral("五"));
        const QVariantList before = storedRow(id);
        ContactRecord record = filledRecord(id);
        record.firstName = first;
        record.lastName = last;
        if (address3Length)
            record.address3 = QString(address3Length, QLatin1Char('x'));
        if (readOnly)
            QVERIFY(database->pragma(QStringLiteral("PRAGMA query_only = ON")));
        const auto saved
            = ContactStore(*database).save({ ContactStore(*database).load(id).value(), record });
        QTEST(saved.outcome, "outcome");
        QVERIFY2(saved.message.startsWith(message), qPrintable(saved.message));
        QCOMPARE(storedRow(id), before);
    }

    void savingADeletedRowSaysSo()
    {
        const qint64 id = addContact(*database, QStringLiteral("王"), QStringLiteral("五"));
        QVERIFY(
            RawSql::run(file, { QStringLiteral("DELETE FROM Contacts WHERE ID = %1").arg(id) }));
        const auto saved = ContactStore(*database).save({ {}, filledRecord(id) });
        QCOMPARE(saved.outcome, ContactStore::SaveOutcome::RowMissing);
        QVERIFY(!saved.message.isEmpty());
        QCOMPARE(RawSql::value(file, QStringLiteral("SELECT COUNT(*) FROM Contacts")).toInt(), 0);
    }

    // A field the user changed that another program changed too is never overwritten unasked.
    void aChangeOverAnotherProgramsChangeAsks_data()
    {
        QTest::addColumn<ContactStore::Conflicts>("choice");
        QTest::addColumn<ContactStore::SaveOutcome>("outcome");
        QTest::addColumn<QVariantList>("stored");
        const QString mine = QStringLiteral("mine@a.cn");
        const QString theirs = QStringLiteral("theirs@b.cn");
        // Email: both changed it; Title: only the user; Data1: only the other program.
        QTest::newRow("reported, nothing written")
            << ContactStore::Conflicts::Report << ContactStore::SaveOutcome::Conflict
            << QVariantList { theirs, QStringLiteral("旧职务"), QStringLiteral("222") };
        QTest::newRow("keep mine")
            << ContactStore::Conflicts::KeepMine << ContactStore::SaveOutcome::Saved
            << QVariantList { mine, QStringLiteral("经理"), QStringLiteral("222") };
        QTest::newRow("keep theirs")
            << ContactStore::Conflicts::KeepTheirs << ContactStore::SaveOutcome::Saved
            << QVariantList { theirs, QStringLiteral("经理"), QStringLiteral("222") };
    }

    void aChangeOverAnotherProgramsChangeAsks()
    {
        QFETCH(ContactStore::Conflicts, choice);
        const qint64 id = addContact(*database, QStringLiteral("王"), QStringLiteral("五"),
                                     { { QStringLiteral("Email"), QStringLiteral("old@c.cn") },
                                       { QStringLiteral("Title"), QStringLiteral("旧职务") } });
        ContactStore store(*database);
        const ContactRecord before = store.load(id).value();
        ContactRecord after = before;
        after.email = QStringLiteral("mine@a.cn");
        after.title = QStringLiteral("经理");
        QVERIFY(RawSql::run(file,
                            { QStringLiteral("UPDATE Contacts SET Email = 'theirs@b.cn', "
                                             "Data1 = '222' WHERE ID = %1")
                                  .arg(id) }));
        const auto saved = store.save({ before, after }, choice);
        QTEST(saved.outcome, "outcome");
        if (choice == ContactStore::Conflicts::Report)
            QCOMPARE(saved.conflicts, QStringList { QStringLiteral("电子邮件") });
        const QList<QVariantList> rows = RawSql::rows(
            file, QStringLiteral("SELECT Email, Title, Data1 FROM Contacts WHERE ID = %1").arg(id));
        QTEST(rows.first(), "stored");
    }

    // A new contact takes no row until it is stored, and then the placeholder's if there is one.
    void aNewContactTakesTheLeftPlaceholderOrARowOfItsOwn()
    {
        ContactStore store(*database);
        ContactRecord fresh = store.fresh().value();
        QCOMPARE(fresh.id, 0);
        QCOMPARE(fresh.displayName(), QStringLiteral("姓 名字"));
        // Without a template a new contact gets the default labels.
        QCOMPARE(fresh.labels[0] + fresh.labels[1] + fresh.labels[2] + fresh.labels[3],
                 QStringLiteral("电话手机传真寻呼机"));
        QCOMPARE(RawSql::value(file, QStringLiteral("SELECT COUNT(*) FROM Contacts")).toInt(), 0);
        // Stored unnamed, it is the placeholder the next add starts from.
        fresh.email = QStringLiteral("x@y.cn");
        const qint64 placeholder = store.add(fresh).id;
        QVERIFY(placeholder > 0);
        ContactRecord next = store.fresh().value();
        QCOMPARE(next.email, QStringLiteral("x@y.cn"));
        QCOMPARE(next.id, 0);
        next.firstName = QStringLiteral("王");
        next.lastName = QStringLiteral("五");
        QCOMPARE(store.add(next).id, placeholder);
        ContactRecord third = store.fresh().value();
        third.firstName = QStringLiteral("李");
        QVERIFY(store.add(third).id > placeholder);
        QCOMPARE(RawSql::rows(file,
                              QStringLiteral("SELECT FirstName, LastName, Email FROM "
                                             "Contacts ORDER BY ID")),
                 QList<QVariantList>(
                     { { QStringLiteral("王"), QStringLiteral("五"), QStringLiteral("x@y.cn") },
                       { QStringLiteral("李"), QStringLiteral("名字"), QString() } }));
    }

    void aNewContactStartsFromTheTemplatesTrimmedValues()
    {
        QVERIFY(RawSql::run(
            file,
            { QStringLiteral(
                "INSERT INTO Contacts (FirstName, LastName, Title, Type, CompanyName, "
                "Address1, Postcode, Data1, Combo1, Combo2, Email, Notes) VALUES "
                "('模板', '模板', ' 经理 ', '客户', ' 华信 ', '\u3000北京\u3000', '100000', "
                "'010-1', 'QQ', NULL, 'a@b.cn', ' 注意\n第二行 ')") }));
        const ContactRecord fresh = ContactStore(*database).fresh().value();
        QCOMPARE(
            QStringList({ fresh.firstName, fresh.lastName, fresh.title, fresh.type,
                          fresh.companyName, fresh.address1, fresh.postcode, fresh.numbers[0],
                          fresh.labels[0], fresh.labels[1], fresh.email, fresh.notes,
                          fresh.address3 }),
            QStringList({ QStringLiteral("姓"), QStringLiteral("名字"), QStringLiteral("经理"),
                          QStringLiteral("客户"), QStringLiteral("华信"), QStringLiteral("北京"),
                          QStringLiteral("100000"), QStringLiteral("010-1"), QStringLiteral("QQ"),
                          QString(), QStringLiteral("a@b.cn"), QStringLiteral("注意\n第二行"),
                          QString() }));
    }

    void templateIsCreatedOnce()
    {
        const qint64 id = ContactRows::templateRow(*database).value();
        QCOMPARE(ContactRows::templateRow(*database).value(), id);
        QCOMPARE(RawSql::value(file,
                               QStringLiteral("SELECT COUNT(*) FROM Contacts WHERE "
                                              "FirstName = '模板' AND LastName = '模板'"))
                     .toInt(),
                 1);
    }
};

QTEST_GUILESS_MAIN(TestContactStore)
#include "tst_contactstore.moc"
