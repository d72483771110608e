#include "DavTestServer.h"
#include "RawSql.h"
#include "SyncRunner.h"
#include "TestSandbox.h"
#include "VdirsyncerPhone.h"
#include "cards/CardReader.h"
#include "contacts/ContactStore.h"
#include "data/Database.h"
#include "duplicates/ContactMerge.h"
#include "sync/AddressBookDiscovery.h"

#include <QProcess>
#include <QtTest>
#include <algorithm>
#include <map>
#include <optional>

// Two data files and a phone syncing one address book on real CardDAV servers: every case runs
// against each server Debian ships.
class tst_CardDavServer : public QObject
{
    Q_OBJECT

    // Started when a case first needs it, stopped at the end even when a case failed.
    std::map<QString, std::unique_ptr<DavTestServer>> servers;
    DavTestServer *server = nullptr;
    std::unique_ptr<TestSandbox> sandbox;
    QString here;
    QString there;
    SyncAccount account;
    int books = 0;

    Result<SyncReport> sync(const QString &file) { return syncFile(file, account); }

    // A content line as a reader takes it: names in either letter case, parameters in any
    // order (a server may rewrite both; Radicale does).
    static QByteArray meaning(const QByteArray &line)
    {
        const qsizetype colon = line.indexOf(':');
        QList<QByteArray> head = line.left(colon).toUpper().split(';');
        std::sort(head.begin() + 1, head.end());
        return head.join(';') + line.mid(colon);
    }

    static QList<QVariantList> contacts(const QString &file)
    {
        return RawSql::rows(file,
                            QStringLiteral("SELECT FirstName, LastName, Title, Type, CompanyName, "
                                           "Data1, Combo1, Email, Notes FROM Contacts "
                                           "ORDER BY FirstName, LastName"));
    }

    struct Tool
    {
        int exitCode = -1;
        QString out;
        QString err;
    };

    // "zorvane-cards sync" with the password on its input, and its settings in the sandbox.
    Tool runTool(const QStringList &arguments) const
    {
        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), sandbox->path(QStringLiteral("home")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"),
                           sandbox->path(QStringLiteral("home/.config")));
        program.setProcessEnvironment(environment);
        program.start(QStringLiteral(ZORVANE_BIN_DIR "/zorvane-cards"),
                      QStringList { QStringLiteral("sync"), QStringLiteral("--password-stdin") }
                          + arguments);
        program.write("secret\n");
        program.closeWriteChannel();
        program.waitForFinished(60000);
        return { program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()),
                 QString::fromUtf8(program.readAllStandardError()) };
    }

    QStringList accountArguments(const QString &file, const QUrl &book) const
    {
        return { QStringLiteral("--data"),        file,
                 QStringLiteral("--server"),      server->root().toString(),
                 QStringLiteral("--user"),        QStringLiteral("alice"),
                 QStringLiteral("--addressbook"), book.path() };
    }

    int linkedCards(const QString &file) const
    {
        return RawSql::value(file, QStringLiteral("SELECT COUNT(*) FROM CardDavCards")).toInt();
    }

    static bool insertNumbered(const QString &file, int count)
    {
        return RawSql::run(
            file,
            { QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM "
                             "n WHERE i < %1) INSERT INTO Contacts (FirstName, LastName, "
                             "Type) SELECT '姓' || i, '名', '朋友' FROM n")
                  .arg(count) });
    }

    // The phone deletes every card of the address book.
    void deleteEveryCardThere(const QString &file)
    {
        const QList<QVariantList> hrefs
            = RawSql::rows(file, QStringLiteral("SELECT Href FROM CardDavCards"));
        for (const QVariantList &href : hrefs) {
            const QUrl card = server->root().resolved(QUrl(href.first().toString()));
            QCOMPARE(server->request("DELETE", card) / 100, 2);
        }
    }

    static bool change(const QString &file, const QString &statement)
    {
        return statement.isEmpty() || RawSql::run(file, { statement });
    }

    // Both files and the server hold the contact 张/三.
    void startInStep()
    {
        QVERIFY(RawSql::run(here,
                            { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type, "
                                             "Email, Data1, Combo1) VALUES ('张', '三', '朋友', "
                                             "'z@example.cn', '13800000000', '手机')") }));
        QVERIFY(sync(here));
        QVERIFY(sync(there));
        QCOMPARE(contacts(there), contacts(here));
    }

private slots:
    void initTestCase_data()
    {
        QTest::addColumn<QString>("serverName");
        for (const QString &name : DavTestServer::names())
            QTest::newRow(qPrintable(name)) << name;
    }

    void cleanupTestCase() { servers.clear(); }

    void init()
    {
        QFETCH_GLOBAL(QString, serverName);
        auto &started = servers[serverName];
        if (!started)
            started = DavTestServer::start(serverName);
        server = started.get();
        QVERIFY2(server->problem().isEmpty(), qPrintable(server->problem()));
        sandbox = std::make_unique<TestSandbox>();
        here = sandbox->writeDefaultDataFile();
        there = sandbox->path(QStringLiteral("there.cot"));
        QVERIFY(QFile::copy(here, there));
        account = { server->root(), QStringLiteral("alice"),
                    server->makeAddressBook(QStringLiteral("book%1").arg(++books)) };
        QVERIFY(!account.addressBook.isEmpty());
    }

    void cleanup() { sandbox.reset(); }

    void firstSyncCopiesEveryContactAcross()
    {
        QVERIFY(RawSql::run(
            here,
            { QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n "
                             "WHERE i < 1000) INSERT INTO Contacts (FirstName, LastName, Type, "
                             "CompanyName, Data1, Combo1, Email, Notes) SELECT '姓' || i, '名' "
                             "|| i, '客户', '公司' || i, '138' || i, '手机', 'p' || i || "
                             "'@example.cn', '第一行' || char(10) || '第二行' FROM n") }));
        const auto up = sync(here);
        QVERIFY2(up, qPrintable(up.message()));
        QCOMPARE(up.value().uploaded, 1000);
        const auto down = sync(there);
        QVERIFY2(down, qPrintable(down.message()));
        QCOMPARE(down.value().downloaded, 1000);
        QCOMPARE(contacts(there), contacts(here));

        // Nothing changed: one question to the server, which offers sync tokens, and not one
        // contact read here; then another program's edit is the one contact read and sent.
        const auto again = sync(there);
        QVERIFY(again);
        QCOMPARE(again.value().requests, 1);
        QCOMPARE(again.value().uploaded + again.value().downloaded + again.value().compared, 0);
        QVERIFY(RawSql::run(there,
                            { QStringLiteral("UPDATE Contacts SET Title = '经理' WHERE "
                                             "FirstName = '姓7'") }));
        const auto edited = sync(there);
        QVERIFY(edited);
        QCOMPARE(edited.value().compared, 1);
        QCOMPARE(edited.value().uploaded, 1);
    }

    void editsOnBothSidesAreMerged_data()
    {
        QTest::addColumn<QString>("editHere");
        QTest::addColumn<QString>("editThere");
        QTest::addColumn<QVariantList>("merged");
        QTest::addColumn<QByteArray>("alsoInCard");

        QTest::newRow("different fields")
            << QStringLiteral("UPDATE Contacts SET Title = '经理'")
            << QStringLiteral("UPDATE Contacts SET CompanyName = '新公司'")
            << QVariantList { "经理", "新公司", "z@example.cn", "" } << QByteArray("TITLE:经理");
        QTest::newRow("same field: the later sync's side shown, the other's kept in the card")
            << QStringLiteral("UPDATE Contacts SET Email = 'a@example.cn'")
            << QStringLiteral("UPDATE Contacts SET Email = 'b@example.cn'")
            << QVariantList { "", "", "b@example.cn", "" } << QByteArray("EMAIL:a@example.cn");
    }

    void editsOnBothSidesAreMerged()
    {
        QFETCH(QString, editHere);
        QFETCH(QString, editThere);
        QFETCH(QVariantList, merged);
        QFETCH(QByteArray, alsoInCard);
        startInStep();
        QVERIFY(change(here, editHere) && change(there, editThere));
        QVERIFY(sync(here));
        const auto conflict = sync(there);
        QVERIFY2(conflict, qPrintable(conflict.message()));
        QCOMPARE(conflict.value().merged, 1);
        QVERIFY(sync(here));

        for (const QString &file : { here, there }) {
            const QList<QVariantList> rows = contacts(file);
            QCOMPARE(rows.size(), 1);
            const QVariantList &row = rows.first();
            QCOMPARE((QVariantList { row.at(2), row.at(4), row.at(7), row.at(8) }), merged);
            const QByteArray card
                = RawSql::value(file, QStringLiteral("SELECT Card FROM ContactCards"))
                      .toByteArray();
            QVERIFY2(card.contains(alsoInCard), card.constData());
        }
    }

    void deleteOnOneSide_data()
    {
        QTest::addColumn<QString>("editThere");
        QTest::addColumn<int>("left");

        QTest::newRow("unchanged there: deleted there too") << QString() << 0;
        QTest::newRow("changed there: the change wins on both sides")
            << QStringLiteral("UPDATE Contacts SET Title = '经理'") << 1;
    }

    void deleteOnOneSide()
    {
        QFETCH(QString, editThere);
        QFETCH(int, left);
        startInStep();
        QVERIFY(change(here, QStringLiteral("DELETE FROM Contacts")));
        QVERIFY(change(there, editThere));
        QVERIFY(sync(here));
        QVERIFY(sync(there));
        QVERIFY(sync(here));
        QCOMPARE(contacts(there).size(), left);
        QCOMPARE(contacts(here), contacts(there));
    }

    void discoveryListsTheAddressBooks()
    {
        AddressBookDiscovery discovery;
        std::optional<Result<QList<AddressBookInfo>>> found;
        connect(&discovery, &AddressBookDiscovery::finished, this,
                [&found](const Result<QList<AddressBookInfo>> &books) { found = books; });
        discovery.discover(server->root(), QStringLiteral("alice"), QStringLiteral("secret"));
        QVERIFY(!found);
        QTRY_VERIFY(found);
        QVERIFY2(*found, qPrintable(found->message()));
        const QList<AddressBookInfo> listed = found->value();
        const auto ours = std::find_if(listed.cbegin(), listed.cend(), [this](const auto &book) {
            return book.url == account.addressBook;
        });
        QVERIFY(ours != listed.cend());
        QCOMPARE(ours->displayName, QStringLiteral("book%1").arg(books));
    }

    // The command line remembers the server and address book it was given.
    void commandLineSyncs()
    {
        QVERIFY(RawSql::run(here,
                            { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, "
                                             "Type) VALUES ('王', '伟', '朋友')") }));
        const auto run = [this](const QStringList &arguments) {
            const Tool ran = runTool(arguments);
            return ran.out + ran.err;
        };
        QCOMPARE(
            run({ QStringLiteral("--data"), here, QStringLiteral("--server"),
                  server->root().toString(), QStringLiteral("--user"), QStringLiteral("alice"),
                  QStringLiteral("--addressbook"), account.addressBook.path() }),
            QStringLiteral("同步完成：上传1个，下载0个，合并0个，本机删除0个，服务器删除0个。\n"));
        QCOMPARE(
            run({ QStringLiteral("--data"), there }),
            QStringLiteral("同步完成：上传0个，下载1个，合并0个，本机删除0个，服务器删除0个。\n"));
        QCOMPARE(contacts(there), contacts(here));
    }

    void phoneCardKeepsItsPhotoAndBirthday()
    {
        const QByteArray photo = QByteArray(600, 'x').toBase64();
        const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:phone-1\r\nN:李;四;;;\r\n"
                                "FN:李四\r\nBDAY:1990-02-28\r\nX-PHONE-RINGTONE:bell\r\n"
                                "PHOTO;ENCODING=b;TYPE=JPEG:"
            + photo + "\r\nEND:VCARD\r\n";
        const QUrl at = account.addressBook.resolved(QUrl(QStringLiteral("phone-1.vcf")));
        QCOMPARE(server->request("PUT", at, card), 201);
        QVERIFY(sync(here));
        QVERIFY(change(here, QStringLiteral("UPDATE Contacts SET Title = '经理'")));
        const auto up = sync(here);
        QVERIFY(up);
        QCOMPARE(up.value().uploaded, 1);

        QByteArray stored;
        QCOMPARE(server->request("GET", at, {}, &stored), 200);
        QVERIFY(stored.contains("TITLE:经理"));
        // Every other property came back as it went, parameters included.
        const Card sent = CardReader::readAll(card).value(0);
        const Card back = CardReader::readAll(stored).value(0);
        QCOMPARE(sent.properties.size(), 6);
        QCOMPARE(back.sourceVersion, CardVersion::V30);
        QCOMPARE(back.properties.size(), sent.properties.size() + 1);
        for (const CardProperty &property : sent.properties)
            QVERIFY2(back.properties.contains(property), qPrintable(property.name));
    }
    // However the address book's address is spelt, its links stay and nothing is sent twice.
    void respeltAddressBookKeepsLinks_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");

        QTest::newRow("no trailing slash") << QStringLiteral("/") << QString();
        QTest::newRow("doubled trailing slash") << QStringLiteral("/") << QStringLiteral("//");
        QTest::newRow("upper-case scheme and an encoded letter")
            << QStringLiteral("http://127.0.0.1") << QStringLiteral("HTTP://127.0.0.1");
        QTest::newRow("encoded letter in the path")
            << QStringLiteral("/alice/") << QStringLiteral("/%61lice/");
    }

    void respeltAddressBookKeepsLinks()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QVERIFY(RawSql::run(here,
                            { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, "
                                             "Type) VALUES ('王', '伟', '朋友')") }));
        QVERIFY(sync(here));
        QString respelt = account.addressBook.toString();
        const qsizetype at = from == u"/" ? respelt.size() - 1 : respelt.indexOf(from);
        QVERIFY(at >= 0);
        account.addressBook = QUrl(respelt.replace(at, from.size(), to));

        const auto again = sync(here);
        QVERIFY2(again, qPrintable(again.message()));
        QCOMPARE(again.value().question, SyncReport::Question::None);
        QCOMPARE(again.value().uploaded + again.value().downloaded, 0);
        QCOMPARE(again.value().requests, 1);
        QCOMPARE(linkedCards(here), 1);
    }

    // Another address book never drops the links by itself: the sync stops and asks, and the
    // command line refuses unless told to relink.
    void anotherAddressBookAsksBeforeRelinking()
    {
        QVERIFY(RawSql::run(here,
                            { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, "
                                             "Type) VALUES ('王', '伟', '朋友')") }));
        QVERIFY(sync(here));
        const QUrl linked = account.addressBook;
        account.addressBook = server->makeAddressBook(QStringLiteral("other%1").arg(books));
        QVERIFY(!account.addressBook.isEmpty());

        const auto asked = sync(here);
        QVERIFY2(asked, qPrintable(asked.message()));
        QCOMPARE(asked.value().question, SyncReport::Question::Relink);
        QCOMPARE(asked.value().linkedAddressBook, linked);
        QCOMPARE(asked.value().requests, 0);
        QCOMPARE(linkedCards(here), 1);

        const Tool refused = runTool(accountArguments(here, account.addressBook));
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.startsWith(QStringLiteral("数据文件的联系人已与通讯录 ")),
                 qPrintable(refused.err));
        QCOMPARE(linkedCards(here), 1);

        const Tool relinked
            = runTool(accountArguments(here, account.addressBook) << QStringLiteral("--relink"));
        QCOMPARE(relinked.exitCode, 0);
        QCOMPARE(
            relinked.out,
            QStringLiteral("同步完成：上传1个，下载0个，合并0个，本机删除0个，服务器删除0个。\n"));
    }

    // The phone empties the address book: nothing is deleted here before the user says so.
    void massDeletionStopsFirst()
    {
        QVERIFY(insertNumbered(here, 11));
        QVERIFY(sync(here));
        deleteEveryCardThere(here);

        const auto asked = sync(here);
        QVERIFY2(asked, qPrintable(asked.message()));
        QCOMPARE(asked.value().question, SyncReport::Question::MassDeletion);
        QCOMPARE(asked.value().wouldDeleteHere, 11);
        QCOMPARE(asked.value().contactsHere, 11);
        QCOMPARE(contacts(here).size(), 11);

        const Tool refused = runTool(accountArguments(here, account.addressBook));
        QCOMPARE(refused.exitCode, 1);
        QCOMPARE(refused.err,
                 QStringLiteral("这次同步将删除本机11个联系人中的11个、服务器11张名片中的0张，"
                                "已在删除前停止。确需删除，请加 --allow-deletions。\n"));
        QCOMPARE(contacts(here).size(), 11);

        const Tool allowed = runTool(accountArguments(here, account.addressBook)
                                     << QStringLiteral("--allow-deletions"));
        QCOMPARE(allowed.exitCode, 0);
        QCOMPARE(
            allowed.out,
            QStringLiteral("同步完成：上传0个，下载0个，合并0个，本机删除11个，服务器删除0个。\n"));
        QCOMPARE(contacts(here).size(), 0);
    }

    // Cards this sync made and the phone then deleted are reported as deleted: the token kept
    // covers this sync's own uploads.
    void ownUploadsDeletedThereAreDeletedHere()
    {
        QVERIFY(insertNumbered(here, 3));
        const auto up = sync(here);
        QVERIFY2(up, qPrintable(up.message()));
        QCOMPARE(up.value().uploaded, 3);
        deleteEveryCardThere(here);

        const auto down = sync(here);
        QVERIFY2(down, qPrintable(down.message()));
        QCOMPARE(down.value().deletedHere, 3);
        QCOMPARE(contacts(here).size(), 0);
    }

    // A group card on the server becomes its members' relationship group, never a contact, and
    // nothing goes back up for it.
    void groupCardBecomesRelationshipGroup()
    {
        const QByteArray member
            = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:m1\r\nN:钱;七;;;\r\nFN:钱七\r\n"
              "TEL:13900000007\r\nEND:VCARD\r\n";
        const QByteArray group
            = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:g1\r\nKIND:group\r\nN:同学会;;;;"
              "\r\nFN:北京大学一九九零级计算机系同学会联络处第一分会第二小组\r\nMEMBER:urn:uuid:"
              "m1\r\nEND:VCARD\r\n";
        QCOMPARE(server->request(
                     "PUT", account.addressBook.resolved(QUrl(QStringLiteral("m1.vcf"))), member)
                     / 100,
                 2);
        QCOMPARE(server->request(
                     "PUT", account.addressBook.resolved(QUrl(QStringLiteral("g1.vcf"))), group)
                     / 100,
                 2);

        const auto down = sync(here);
        QVERIFY2(down, qPrintable(down.message()));
        QCOMPARE(down.value().unreadable, QStringList());
        QCOMPARE(RawSql::rows(here,
                              QStringLiteral("SELECT FirstName, LastName, Type FROM Contacts "
                                             "WHERE Type LIKE '北京%' OR FirstName = '同学会'")),
                 (QList<QVariantList> {
                     { "钱", "七", "北京大学一九九零级计算机系同学会联络处第一分会第二" } }));
        const auto again = sync(here);
        QVERIFY(again);
        QCOMPARE(again.value().uploaded, 0);
    }

    // Two cards of one person merged here, synced, and the merge undone: the merged-away card
    // goes back under its own UID with every line it had, and the server holds no second one.
    void undoneMergeBringsTheCardBack()
    {
        const QByteArray phone = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u1\r\nN:孙;八;;;\r\nFN:孙八\r\n"
                                 "TEL:13900000008\r\nEND:VCARD\r\n";
        const QByteArray mail = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u2\r\nN:孙;八;;;\r\nFN:孙八\r\n"
                                "EMAIL:s@example.cn\r\nBDAY:1990-01-02\r\nEND:VCARD\r\n";
        QCOMPARE(server->request(
                     "PUT", account.addressBook.resolved(QUrl(QStringLiteral("u1.vcf"))), phone)
                     / 100,
                 2);
        QCOMPARE(server->request("PUT",
                                 account.addressBook.resolved(QUrl(QStringLiteral("u2.vcf"))), mail)
                     / 100,
                 2);
        QVERIFY(sync(here));
        {
            auto database = Database::open(here);
            QVERIFY(database);
            ContactStore store(*database.value());
            QList<ContactRecord> pair;
            for (const QVariantList &id : RawSql::rows(
                     here,
                     QStringLiteral("SELECT ID FROM Contacts WHERE FirstName = '孙' ORDER BY ID")))
                pair << store.load(id.first().toLongLong()).value();
            QCOMPARE(pair.size(), 2);
            QVERIFY(
                ContactMerge::merge(*database.value(), pair, ContactMerge::defaultChoices(pair)));
        }
        const auto merged = sync(here);
        QVERIFY2(merged, qPrintable(merged.message()));
        QCOMPARE(merged.value().deletedThere, 1);
        {
            auto database = Database::open(here);
            QVERIFY(database);
            const auto undone = ContactMerge::undoLast(*database.value());
            QVERIFY2(undone, qPrintable(undone.message()));
        }
        const auto restored = sync(here);
        QVERIFY2(restored, qPrintable(restored.message()));
        QCOMPARE(restored.value().uploaded, 2);

        QVERIFY(sync(there));
        const QString cards = QStringLiteral(
            "SELECT UID, instr(Card, 'BDAY:1990') > 0 FROM CardDavCards JOIN Contacts ON ID = "
            "ContactID WHERE FirstName = '孙' ORDER BY UID");
        QCOMPARE(RawSql::rows(there, cards), (QList<QVariantList> { { "u1", 0 }, { "u2", 1 } }));
    }

    // A card that cannot be read is skipped and named; its contact is neither deleted nor sent
    // over it, and every other contact still syncs.
    void unreadableCardIsSkipped()
    {
        startInStep();
        const QString href
            = RawSql::value(here, QStringLiteral("SELECT Href FROM CardDavCards")).toString();
        const QUrl at = server->root().resolved(QUrl(href));
        const QByteArray nameless = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:"
            + RawSql::value(here, QStringLiteral("SELECT UID FROM CardDavCards")).toByteArray()
            + "\r\nN:;;;;\r\nFN:\r\nNOTE:phone\r\nEND:VCARD\r\n";
        QCOMPARE(server->request("PUT", at, nameless) / 100, 2);
        QVERIFY(change(here, QStringLiteral("UPDATE Contacts SET Title = '经理'")));
        QVERIFY(RawSql::run(here,
                            { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, "
                                             "Type) VALUES ('王', '伟', '朋友')") }));

        const auto report = sync(here);
        QVERIFY2(report, qPrintable(report.message()));
        QCOMPARE(report.value().unreadable, QStringList { href });
        QCOMPARE(report.value().uploaded, 1);
        QCOMPARE(RawSql::rows(here,
                              QStringLiteral("SELECT FirstName, Title FROM Contacts ORDER "
                                             "BY FirstName")),
                 (QList<QVariantList> { { "张", "经理" }, { "王", "" } }));
        QByteArray stored;
        QCOMPARE(server->request("GET", at, {}, &stored), 200);
        QVERIFY2(!stored.contains("TITLE"), stored.constData());
    }
    // Both sides already hold the same person: the first sync links them instead of doubling
    // them, and the phone's photo and birthday stay on the card.
    void firstSyncLinksTheSamePerson()
    {
        QVERIFY(RawSql::run(here,
                            { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, "
                                             "Type, Data1, Combo1, Title) VALUES ('张', "
                                             "'三', '朋友', '13800000000', '手机', "
                                             "'经理'), ('李', '四', '朋友', '', '', '')") }));
        const QByteArray card = "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:phone-1\r\nN:张;三;;;\r\n"
                                "FN:张三\r\nTEL;TYPE=CELL:+86 138-0000-0000\r\n"
                                "BDAY:1990-02-28\r\nPHOTO;ENCODING=b;TYPE=JPEG:"
            + QByteArray(60, 'x').toBase64() + "\r\nEND:VCARD\r\n";
        const QUrl at = account.addressBook.resolved(QUrl(QStringLiteral("phone-1.vcf")));
        QCOMPARE(server->request("PUT", at, card) / 100, 2);

        const auto first = sync(here);
        QVERIFY2(first, qPrintable(first.message()));
        QCOMPARE(first.value().merged, 1);
        QCOMPARE(first.value().downloaded, 0);
        QCOMPARE(first.value().uploaded, 2);
        QCOMPARE(RawSql::rows(here,
                              QStringLiteral("SELECT FirstName, Title FROM Contacts ORDER "
                                             "BY FirstName")),
                 (QList<QVariantList> { { "张", "经理" }, { "李", "" } }));
        QCOMPARE(linkedCards(here), 2);
        QByteArray stored;
        QCOMPARE(server->request("GET", at, {}, &stored), 200);
        QVERIFY2(stored.contains("TITLE:经理") && stored.contains("BDAY:1990-02-28")
                     && stored.contains("PHOTO"),
                 stored.constData());
    }
    // A phone's card with many values, edited on the desktop in one field, comes back to the
    // phone as one card with every other line as it was.
    void phoneCardComesBackWhole()
    {
        VdirsyncerPhone phone(account.addressBook);
        QVERIFY2(phone.problem().isEmpty(), qPrintable(phone.problem()));
        const QByteArray photo = QByteArray(90, 'p').toBase64();
        const QList<QByteArray> lines {
            "UID:phone-1",
            "N:李;四;;;",
            "FN:李四",
            "TEL;TYPE=CELL:13800000001",
            "TEL;TYPE=WORK:010-66668888",
            "TEL;TYPE=HOME:010-88886666",
            "TEL;TYPE=FAX:010-12345678",
            "item1.TEL:13900000005",
            "item1.X-ABLabel:车载",
            "EMAIL;TYPE=WORK:li@work.cn",
            "EMAIL;TYPE=HOME:li@home.cn",
            "ADR;TYPE=WORK:;;工作路1号;北京;;100000;中国",
            "ADR;TYPE=HOME:;;家园路2号;上海;;200000;中国",
            "BDAY:1990-02-28",
            "PHOTO;ENCODING=b;TYPE=JPEG:" + photo,
        };
        QFile card(phone.cardFolder() + QStringLiteral("/phone-1.vcf"));
        QVERIFY(card.open(QIODevice::WriteOnly));
        card.write("BEGIN:VCARD\r\nVERSION:3.0\r\n" + lines.join("\r\n") + "\r\nEND:VCARD\r\n");
        card.close();
        QCOMPARE(phone.sync(), QString());

        QVERIFY(sync(here));
        QVERIFY(change(here, QStringLiteral("UPDATE Contacts SET Title = '经理'")));
        const auto up = sync(here);
        QVERIFY2(up, qPrintable(up.message()));
        QCOMPARE(up.value().uploaded, 1);
        QCOMPARE(phone.sync(), QString());

        const QStringList files = QDir(phone.cardFolder()).entryList({ QStringLiteral("*.vcf") });
        QCOMPARE(files.size(), 1);
        QFile back(phone.cardFolder() + u'/' + files.first());
        QVERIFY(back.open(QIODevice::ReadOnly));
        QList<QByteArray> cameBack
            = back.readAll().replace("\r\n", "\n").replace("\n ", "").split('\n');
        std::transform(cameBack.begin(), cameBack.end(), cameBack.begin(), meaning);
        QVERIFY(cameBack.contains("TITLE:经理"));
        // Every other line comes back as the phone wrote it.
        QCOMPARE(lines.size(), 15);
        for (const QByteArray &line : lines)
            QVERIFY2(cameBack.contains(meaning(line)), line.left(60).constData());
    }
};

QTEST_GUILESS_MAIN(tst_CardDavServer)
#include "tst_carddavserver.moc"
