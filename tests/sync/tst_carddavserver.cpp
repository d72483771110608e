#include "RadicaleServer.h"
#include "RawSql.h"
#include "SyncRunner.h"
#include "TestSandbox.h"
#include "interchange/VCardReader.h"
#include "sync/AddressBookDiscovery.h"

#include <QProcess>
#include <QtTest>
#include <optional>

// Two data files and a phone syncing one address book on a real CardDAV server.
class tst_CardDavServer : public QObject
{
    Q_OBJECT

    std::unique_ptr<RadicaleServer> server;
    std::unique_ptr<TestSandbox> sandbox;
    QString here;
    QString there;
    SyncAccount account;
    int books = 0;

    Result<SyncReport> sync(const QString &file) { return syncFile(file, account); }

    static QList<QVariantList> contacts(const QString &file)
    {
        return RawSql::rows(file,
                            QStringLiteral("SELECT FirstName, LastName, Title, Type, CompanyName, "
                                           "Data1, Combo1, Email, Notes FROM Contacts "
                                           "ORDER BY FirstName, LastName"));
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
    void initTestCase()
    {
        server = std::make_unique<RadicaleServer>();
        QVERIFY2(server->problem().isEmpty(), qPrintable(server->problem()));
    }

    void cleanupTestCase() { server.reset(); }

    void init()
    {
        sandbox = std::make_unique<TestSandbox>();
        here = sandbox->writeDefaultDataFile();
        there = sandbox->path(QStringLiteral("there.cot"));
        QVERIFY(QFile::copy(here, there));
        account = { server->root(), RadicaleServer::user(),
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

        // Nothing changed: one question to the server, which offers sync tokens.
        const auto again = sync(there);
        QVERIFY(again);
        QCOMPARE(again.value().requests, 1);
        QCOMPARE(again.value().uploaded + again.value().downloaded, 0);
    }

    void editsOnBothSidesAreMerged_data()
    {
        QTest::addColumn<QString>("editHere");
        QTest::addColumn<QString>("editThere");
        QTest::addColumn<QVariantList>("merged");

        QTest::newRow("different fields")
            << QStringLiteral("UPDATE Contacts SET Title = '经理'")
            << QStringLiteral("UPDATE Contacts SET CompanyName = '新公司'")
            << QVariantList { "经理", "新公司", "z@example.cn", "" };
        QTest::newRow("same field: the later sync's side kept, the other's in the notes")
            << QStringLiteral("UPDATE Contacts SET Email = 'a@example.cn'")
            << QStringLiteral("UPDATE Contacts SET Email = 'b@example.cn'")
            << QVariantList { "", "", "b@example.cn", "服务器上的电子邮件：a@example.cn" };
    }

    void editsOnBothSidesAreMerged()
    {
        QFETCH(QString, editHere);
        QFETCH(QString, editThere);
        QFETCH(QVariantList, merged);
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
        discovery.discover(server->root(), RadicaleServer::user(), RadicaleServer::password());
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
        const auto run = [](const QStringList &arguments) {
            QProcess program;
            program.start(QStringLiteral(ZORVANE_BIN_DIR "/zorvane-cards"),
                          QStringList { QStringLiteral("sync"), QStringLiteral("--password-stdin") }
                              + arguments);
            program.write("secret\n");
            program.closeWriteChannel();
            program.waitForFinished(60000);
            return QString::fromUtf8(program.readAllStandardOutput()
                                     + program.readAllStandardError());
        };
        QCOMPARE(
            run({ QStringLiteral("--data"), here, QStringLiteral("--server"),
                  server->root().toString(), QStringLiteral("--user"), RadicaleServer::user(),
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
        const auto kept = [](const QByteArray &bytes) {
            return VCardReader::read(bytes, VCardReader::Others::Keep).cards.value(0).otherLines;
        };
        const QList<QByteArray> phoneOnly { "BDAY:1990-02-28", "X-PHONE-RINGTONE:bell",
                                            "PHOTO;ENCODING=b;TYPE=JPEG:" + photo };
        for (const QByteArray &line : phoneOnly) {
            QVERIFY2(kept(card).contains(line), line.left(40).constData());
            QVERIFY2(kept(stored).contains(line), line.left(40).constData());
        }
    }
};

QTEST_GUILESS_MAIN(tst_CardDavServer)
#include "tst_carddavserver.moc"
