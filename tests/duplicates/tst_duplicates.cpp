#include "../contacts/ContactFixture.h"
#include "RawSql.h"
#include "SandboxedDataFile.h"
#include "contacts/ContactStore.h"
#include "duplicates/ContactMerge.h"
#include "duplicates/DuplicateFinder.h"
#include "duplicates/MergeFields.h"

#include <QtTest>

class TestDuplicates : public QObject, protected SandboxedDataFile
{
    Q_OBJECT

private:
    static ContactRecord person(qint64 id, const QString &first, const QString &last,
                                const QString &mobile = {}, const QString &company = {},
                                const QString &email = {})
    {
        ContactRecord record;
        record.id = id;
        record.firstName = first;
        record.lastName = last;
        record.numbers[1] = mobile;
        record.labels = { QStringLiteral("电话"), QStringLiteral("手机"), QStringLiteral("传真"),
                          QStringLiteral("寻呼机") };
        record.companyName = company;
        record.email = email;
        return record;
    }

    QList<QVariantList> allContacts() const
    {
        return RawSql::rows(file, QStringLiteral("SELECT * FROM Contacts ORDER BY ID"));
    }

    QList<ContactRecord> load(const QList<qint64> &ids)
    {
        QList<ContactRecord> records;
        ContactStore store(*database);
        for (qint64 id : ids)
            records << store.load(id).value();
        return records;
    }

    // Two contacts that share a mobile written differently, the older without an e-mail address.
    QList<qint64> addTwoWangWei()
    {
        const qint64 older
            = addContact(*database, QStringLiteral("王"), QStringLiteral("伟"),
                         { { QStringLiteral("Data2"), QStringLiteral("138-0013-8000") },
                           { QStringLiteral("Combo2"), QStringLiteral("手机") },
                           { QStringLiteral("CompanyName"), QStringLiteral("甲公司") },
                           { QStringLiteral("Notes"), QStringLiteral("老朋友") } });
        const qint64 newer
            = addContact(*database, QStringLiteral("王"), QStringLiteral("伟"),
                         { { QStringLiteral("Data2"), QStringLiteral("+86 13800138000") },
                           { QStringLiteral("Combo2"), QStringLiteral("手机") },
                           { QStringLiteral("Data3"), QStringLiteral("010-62345678") },
                           { QStringLiteral("Combo3"), QStringLiteral("电话") },
                           { QStringLiteral("CompanyName"), QStringLiteral("乙公司") },
                           { QStringLiteral("Email"), QStringLiteral("wang@example.cn") } });
        return { older, newer };
    }

private slots:
    void init() { QVERIFY(openDataFile()); }

    void cleanup() { closeDataFile(); }

    void verdictOfAPair_data()
    {
        QTest::addColumn<ContactRecord>("a");
        QTest::addColumn<ContactRecord>("b");
        // -1: no set at all.
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("reason");
        const int veryLikely = int(DuplicateLevel::VeryLikely);
        const QString mobile = QStringLiteral("手机号码相同: 13800138000");
        const QStringList writings { QStringLiteral("138-0013-8000"),
                                     QStringLiteral("+86 138 0013 8000"),
                                     QStringLiteral("0086-13800138000"),
                                     QStringLiteral("(138) 0013 8000") };
        for (const QString &writing : writings)
            QTest::newRow(qPrintable(writing))
                << person(1, QStringLiteral("李"), QStringLiteral("四"), writing)
                << person(2, QStringLiteral("Li"), QStringLiteral("Si"),
                          QStringLiteral("8613800138000"))
                << veryLikely << mobile;
        QTest::newRow("e-mail in two letter cases")
            << person(1, QStringLiteral("李"), QStringLiteral("四"), {}, {},
                      QStringLiteral("Li4@Example.cn"))
            << person(2, QStringLiteral("李"), QStringLiteral("小四"), {}, {},
                      QStringLiteral(" li4@example.cn"))
            << veryLikely << QStringLiteral("电子邮件相同: li4@example.cn");
        QTest::newRow("two 王伟 with different numbers and companies")
            << person(1, QStringLiteral("王"), QStringLiteral("伟"), QStringLiteral("13900139000"),
                      QStringLiteral("甲公司"))
            << person(2, QStringLiteral("王 "), QStringLiteral("伟"), QStringLiteral("13700137000"),
                      QStringLiteral("乙公司"))
            << int(DuplicateLevel::SameNameOnly) << QStringLiteral("同名，可能是不同的人");
        QTest::newRow("Latin name with its parts swapped, same company")
            << person(1, QStringLiteral("Smith"), QStringLiteral("John"), {},
                      QStringLiteral("Acme Corp"))
            << person(2, QStringLiteral("John"), QStringLiteral("smith"), {},
                      QStringLiteral("Acme Corp"))
            << int(DuplicateLevel::Likely)
            << QStringLiteral("姓名和公司相同: Smith John, Acme Corp");
        QTest::newRow("Chinese name parts are not swapped")
            << person(1, QStringLiteral("王"), QStringLiteral("伟"), {}, QStringLiteral("甲公司"))
            << person(2, QStringLiteral("伟"), QStringLiteral("王"), {}, QStringLiteral("甲公司"))
            << -1 << QString();
        QTest::newRow("landline and mobile sharing their last digits")
            << person(1, QStringLiteral("赵"), QStringLiteral("一"), QStringLiteral("010-80138000"))
            << person(2, QStringLiteral("钱"), QStringLiteral("二"), QStringLiteral("13880138000"))
            << -1 << QString();
        ContactRecord faxA = person(1, QStringLiteral("孙"), QStringLiteral("三"));
        ContactRecord faxB = person(2, QStringLiteral("周"), QStringLiteral("四"));
        faxA.numbers[2] = faxB.numbers[2] = QStringLiteral("010-62345678");
        QTest::newRow("an office fax says nothing about the person")
            << faxA << faxB << -1 << QString();
    }

    void verdictOfAPair()
    {
        QFETCH(ContactRecord, a);
        QFETCH(ContactRecord, b);
        QFETCH(int, level);
        QFETCH(QString, reason);
        DuplicateFinder finder;
        finder.add(a);
        finder.add(b);
        const QList<DuplicateSet> sets = finder.sets();
        if (level < 0) {
            QVERIFY(sets.isEmpty());
            return;
        }
        QCOMPARE(sets.size(), 1);
        QCOMPARE(int(sets.first().level), level);
        QCOMPARE(sets.first().ids, (QList<qint64> { 1, 2 }));
        QVERIFY2(sets.first().reasons.contains(reason), qPrintable(sets.first().reasons.join('|')));
    }

    void mergeKeepsChoicesAndEveryCardValueAndUndoGivesEverythingBack()
    {
        const QList<qint64> ids = addTwoWangWei();
        const auto before = allContacts();
        const auto found = DuplicateFinder::find(*database);
        QVERIFY2(found, qPrintable(found.message()));
        QCOMPARE(found.value().sets.size(), 1);
        QCOMPARE(found.value().sets.first().ids, ids);

        const QList<ContactRecord> contacts = load(ids);
        QList<int> choices = ContactMerge::defaultChoices(contacts);
        choices[4] = 1; // the newer company
        const auto merged = ContactMerge::merge(*database, contacts, choices);
        QVERIFY2(merged, qPrintable(merged.message()));
        QCOMPARE(merged.value(), ids.first());

        const ContactRecord kept = load({ ids.first() }).first();
        QCOMPARE(kept.companyName, QStringLiteral("乙公司"));
        QCOMPARE(kept.email, QStringLiteral("wang@example.cn"));
        QCOMPARE(kept.numbers[1], QStringLiteral("138-0013-8000"));
        QCOMPARE(kept.numbers[2], QStringLiteral("010-62345678"));
        // The other number fills an empty box; the company not chosen stays in the card.
        QCOMPARE(kept.numbers[3], QStringLiteral("+86 13800138000"));
        QCOMPARE(kept.labels[3], QStringLiteral("手机"));
        QCOMPARE(kept.notes, QStringLiteral("老朋友"));
        const QString card
            = RawSql::value(file,
                            QStringLiteral("SELECT Card FROM ContactCards WHERE ContactID = %1")
                                .arg(ids.first()))
                  .toString();
        QVERIFY2(card.contains(QStringLiteral("\r\nORG:乙公司\r\nORG:甲公司\r\n")),
                 qPrintable(card));
        QCOMPARE(
            RawSql::value(
                file, QStringLiteral("SELECT COUNT(*) FROM Contacts WHERE ID = %1").arg(ids.last()))
                .toInt(),
            0);

        const auto undone = ContactMerge::undoLast(*database);
        QVERIFY2(undone, qPrintable(undone.message()));
        QCOMPARE(allContacts(), before);
        QCOMPARE(RawSql::value(file, QStringLiteral("SELECT COUNT(*) FROM ContactCards")).toInt(),
                 0);
        QCOMPARE(ContactMerge::canUndo(*database).value(), false);
    }

    // Card imports and syncs make contacts with a family or a given name only.
    void contactsWithOneNameMerge_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("family name only") << QStringLiteral("Alice") << QString();
        QTest::newRow("given name only") << QString() << QStringLiteral("小明");
    }

    void contactsWithOneNameMerge()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        const qint64 older = addContact(*database, first, last,
                                        { { QStringLiteral("Email"), QStringLiteral("a@b.cn") } });
        const qint64 newer = addContact(*database, first, last,
                                        { { QStringLiteral("Data1"), QStringLiteral("010-1") } });
        const QList<ContactRecord> contacts = load({ older, newer });
        const auto merged
            = ContactMerge::merge(*database, contacts, ContactMerge::defaultChoices(contacts));
        QVERIFY2(merged, qPrintable(merged.message()));
        QCOMPARE(RawSql::rows(file, QStringLiteral("SELECT ID, Email, Data1 FROM Contacts")),
                 QList<QVariantList>({ { 1, QStringLiteral("a@b.cn"), QStringLiteral("010-1") } }));
    }

    // A merge whose kept contact was edited since cannot be taken back; saying so forgets it, and
    // the merge before it can still be undone.
    void aFailedUndoIsReportedAndNoLongerBlocksEarlierOnes()
    {
        const QList<ContactRecord> wang = load(addTwoWangWei());
        QVERIFY(ContactMerge::merge(*database, wang, ContactMerge::defaultChoices(wang)));
        const QList<ContactRecord> li
            = load({ addContact(*database, QStringLiteral("李"), QStringLiteral("娜")),
                     addContact(*database, QStringLiteral("李"), QStringLiteral("娜")) });
        QVERIFY(ContactMerge::merge(*database, li, ContactMerge::defaultChoices(li)));
        QVERIFY(database->execute(QStringLiteral("UPDATE Contacts SET Title = ? WHERE ID = ?"),
                                  { QStringLiteral("经理"), 3 }));
        const auto afterEdit = allContacts();

        const auto refused = ContactMerge::undoLast(*database);
        QVERIFY(!refused);
        QCOMPARE(
            refused.message(),
            QStringLiteral("无法撤销上次合并：合并后联系人[李 娜]又被修改过，撤销会丢掉这些修改。"
                           "\n这次合并已不能撤销，它的撤销记录已删除；更早的合并仍可撤销。"));
        QCOMPARE(allContacts(), afterEdit);
        QCOMPARE(ContactMerge::canUndo(*database).value(), true);

        const auto undone = ContactMerge::undoLast(*database);
        QVERIFY2(undone, qPrintable(undone.message()));
        QCOMPARE(undone.value(), 1);
        QCOMPARE(RawSql::rows(file,
                              QStringLiteral("SELECT ID, FirstName, LastName, "
                                             "COALESCE(Title, '') FROM Contacts ORDER BY ID")),
                 QList<QVariantList>({ { 1, QStringLiteral("王"), QStringLiteral("伟"), QString() },
                                       { 2, QStringLiteral("王"), QStringLiteral("伟"), QString() },
                                       { 3, QStringLiteral("李"), QStringLiteral("娜"),
                                         QStringLiteral("经理") } }));
        QCOMPARE(ContactMerge::canUndo(*database).value(), false);
    }
};

QTEST_GUILESS_MAIN(TestDuplicates)
#include "tst_duplicates.moc"
