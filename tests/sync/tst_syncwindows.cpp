#include "ContactTreeNodes.h"
#include "GuiFixture.h"
#include "RadicaleServer.h"
#include "RawSql.h"
#include "StoredPasswords.h"
#include "app/widgets/frmMain.h"
#include "contacts/widgets/frmContacts.h"
#include "sync/SyncAccount.h"
#include "sync/widgets/PasswordPrompt.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>
#include <optional>

// A password box that answers at once, and counts how often it was asked.
class AnsweringPasswordPrompt : public PasswordPrompt
{
public:
    AnsweringPasswordPrompt() { PasswordPrompt::install(this); }
    ~AnsweringPasswordPrompt() override
    {
        if (&PasswordPrompt::current() == this)
            PasswordPrompt::install(nullptr);
    }
    std::optional<QString> ask(QWidget *, const SyncAccount &) override
    {
        ++asked;
        return RadicaleServer::password();
    }
    int asked = 0;
};

// The sync set-up window and "立即同步" from the main window's menu, on a real server.
class tst_SyncWindows : public QObject
{
    Q_OBJECT

    std::optional<GuiFixture> fx;
    std::optional<RadicaleServer> server;
    QUrl book;

    static void fillSettings(const QUrl &root)
    {
        QWidget *settings = QApplication::activeModalWidget();
        QVERIFY(settings && settings->objectName() == QStringLiteral("FrmSyncSettings"));
        settings->findChild<QLineEdit *>(QStringLiteral("txtServer"))->setText(root.toString());
        settings->findChild<QLineEdit *>(QStringLiteral("txtUser"))
            ->setText(RadicaleServer::user());
        settings->findChild<QLineEdit *>(QStringLiteral("txtPassword"))
            ->setText(RadicaleServer::password());
        settings->findChild<QPushButton *>(QStringLiteral("cmdFind"))->click();
        auto *found = settings->findChild<QComboBox *>(QStringLiteral("cmbAddressBook"));
        QTRY_VERIFY(found->findText(QStringLiteral("desk")) >= 0);
        found->setCurrentIndex(found->findText(QStringLiteral("desk")));
        settings->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
    }

private slots:
    // A server of each test's own with the address book "desk", and 张三 in the data file.
    void init()
    {
        fx.emplace();
        server.emplace();
        QVERIFY2(server->problem().isEmpty(), qPrintable(server->problem()));
        book = server->makeAddressBook(QStringLiteral("desk"));
        QVERIFY(!book.isEmpty());
        QVERIFY(RawSql::run(fx->file,
                            { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, "
                                             "Type) VALUES ('张', '三', '朋友')") }));
    }
    void cleanup()
    {
        fx.reset();
        server.reset();
    }

    void setUpThenSyncBothWays_data()
    {
        QTest::addColumn<bool>("secretStore");
        QTest::newRow("desktop keeps the password") << true;
        QTest::newRow("no secret store: asked at each sync") << false;
    }

    void setUpThenSyncBothWays()
    {
        QFETCH(bool, secretStore);
        StoredPasswords passwords;
        passwords.available = secretStore;
        AnsweringPasswordPrompt prompt;
        QCOMPARE(server->request("PUT", book.resolved(QUrl(QStringLiteral("phone.vcf"))),
                                 "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:phone-1\r\nN:李;四;;;\r\n"
                                 "FN:李四\r\nCATEGORIES:朋友\r\nEND:VCARD\r\n"),
                 201);

        LOG_IN(main, fx->app);
        if (!secretStore)
            fx->prompts.expectMessage();
        QTimer::singleShot(0, main, [this] { fillSettings(server->root()); });
        main->findChild<QAction *>(QStringLiteral("SyncSettings"))->trigger();
        QCOMPARE(SyncAccount::load().addressBook, book);
        QCOMPARE(passwords.stored.has_value(), secretStore);

        fx->prompts.expectMessage();
        main->findChild<QAction *>(QStringLiteral("SyncNow"))->trigger();
        QVERIFY2(fx->prompts.last().text.startsWith(QStringLiteral("同步完成")),
                 qPrintable(fx->prompts.last().text));
        QCOMPARE(prompt.asked, secretStore ? 0 : 1);
        QByteArray cards;
        QCOMPARE(server->request("GET", book, {}, &cards), 200);
        QVERIFY(cards.contains("FN:张三"));
        QCOMPARE(RawSql::value(fx->file,
                               QStringLiteral("SELECT COUNT(*) FROM Contacts WHERE "
                                              "FirstName = '李' AND LastName = '四'"))
                     .toInt(),
                 1);
        QTRY_VERIFY(
            main->contactList()
            && ContactTreeNodes::find(main->contactList()->tree(), QStringLiteral("李 四")));
    }
    // "立即同步" with another address book than the linked one asks first; "否" leaves every
    // link and the other address book as they were.
    void anotherAddressBookIsAskedAbout()
    {
        StoredPasswords passwords;
        passwords.stored = RadicaleServer::password();
        const QUrl other = server->makeAddressBook(QStringLiteral("other"));
        QVERIFY(!other.isEmpty());
        SyncAccount { server->root(), RadicaleServer::user(), book }.save();
        LOG_IN(main, fx->app);
        fx->prompts.expectMessage();
        main->findChild<QAction *>(QStringLiteral("SyncNow"))->trigger();
        QVERIFY2(fx->prompts.last().text.startsWith(QStringLiteral("同步完成")),
                 qPrintable(fx->prompts.last().text));

        SyncAccount { server->root(), RadicaleServer::user(), other }.save();
        fx->prompts.answer(Answer::No);
        main->findChild<QAction *>(QStringLiteral("SyncNow"))->trigger();
        QCOMPARE(fx->prompts.last().kind, ShownBox::Kind::YesNo);
        QCOMPARE(fx->prompts.last().text,
                 QStringLiteral("这个数据文件的联系人已经与通讯录“%1”对应，现在选的是另一个通讯录"
                                "“%2”。\n要改为与新的通讯录同步吗？原来的对应关系将作废，"
                                "两边的联系人会互相复制。")
                     .arg(book.toDisplayString(), other.toDisplayString()));
        QCOMPARE(RawSql::value(fx->file, QStringLiteral("SELECT COUNT(*) FROM CardDavCards")),
                 QVariant(1));
        QByteArray cards;
        QCOMPARE(server->request("GET", other, {}, &cards), 200);
        QVERIFY2(!cards.contains("FN:张三"), cards.constData());
    }
    // What is typed in an open editor is stored before the sync, so it reaches the server.
    void typedChangeIsSyncedFirst()
    {
        StoredPasswords passwords;
        passwords.stored = RadicaleServer::password();
        SyncAccount { server->root(), RadicaleServer::user(), book }.save();
        LOG_IN(main, fx->app);
        frmContacts *list = main->contactList();
        list->tree()->setCurrentItem(ContactTreeNodes::find(list->tree(), QStringLiteral("张 三")));
        list->editSelected();
        auto *notes = main->findChild<QPlainTextEdit *>(QStringLiteral("txtNotes"));
        QVERIFY(notes);
        notes->setPlainText(QStringLiteral("刚输入的备注"));

        fx->prompts.expectMessage();
        main->findChild<QAction *>(QStringLiteral("SyncNow"))->trigger();
        QVERIFY2(fx->prompts.last().text.startsWith(QStringLiteral("同步完成")),
                 qPrintable(fx->prompts.last().text));
        QByteArray cards;
        QCOMPARE(server->request("GET", book, {}, &cards), 200);
        QVERIFY2(cards.contains("NOTE:刚输入的备注"), cards.constData());
        QCOMPARE(main->childWindow(QStringLiteral("frmDetails")), nullptr);
    }
};

QTEST_MAIN(tst_SyncWindows)
#include "tst_syncwindows.moc"
