#include "GuiFixture.h"
#include "RadicaleServer.h"
#include "app/widgets/frmMain.h"
#include "sync/SecretStore.h"
#include "sync/SyncAccount.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QInputDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <csignal>
#include <optional>
#include <sys/prctl.h>

namespace {

// A program of the test's own, which goes with the test program however that ends.
void startDying(QProcess &process, const QString &program, const QStringList &arguments)
{
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process.start(program, arguments);
}

// Runs a client program to its end; what it printed.
QByteArray run(const QString &program, const QStringList &arguments, const QByteArray &input = {})
{
    QProcess client;
    startDying(client, program, arguments);
    client.write(input);
    client.closeWriteChannel();
    client.waitForFinished(20000);
    return client.readAllStandardOutput();
}

// Where the program's password store files the sync password: QtKeychain's attributes.
QStringList attributes(const QString &key)
{
    return { "user", key, "server", "Zorvane", "type", "plaintext" };
}

} // namespace

// A desktop secret service of the test's own: a session bus and Debian's GNOME keyring daemon
// with an unlocked keyring, both in the test program's private home and stopped with it. The
// program's real password store reaches it through the session bus address.
class PrivateSecretService
{
public:
    PrivateSecretService()
    {
        const QString folder = QDir::home().filePath(QStringLiteral("private-bus"));
        QFile config(folder + QStringLiteral("/bus.conf"));
        const QByteArray text
            = "<busconfig><type>session</type><listen>unix:path=" + folder.toUtf8()
            + "/socket</listen><auth>EXTERNAL</auth><policy context=\"default\">"
              "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
              "<allow own=\"*\"/></policy></busconfig>\n";
        if (!QDir().mkpath(folder) || !config.open(QIODevice::WriteOnly)
            || config.write(text) != text.size() || !config.flush()) {
            m_problem = QStringLiteral("cannot write the bus configuration");
            return;
        }
        startDying(m_bus, QStringLiteral("dbus-daemon"),
                   { "--config-file=" + config.fileName(), "--nofork", "--print-address=1" });
        // The daemon prints its address once it listens.
        if (!m_bus.waitForReadyRead(20000)) {
            m_problem = QStringLiteral("dbus-daemon did not start: ") + m_bus.errorString();
            return;
        }
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.readLine().trimmed());
        // --unlock reads the keyring's password from standard input and makes the keyring.
        startDying(m_keyring, QStringLiteral("gnome-keyring-daemon"),
                   { "--foreground", "--components=secrets", "--unlock" });
        m_keyring.write("keyring-password");
        m_keyring.closeWriteChannel();
        if (!waitForDefaultKeyring())
            m_problem = QStringLiteral("gnome-keyring-daemon offers no keyring: ")
                + QString::fromUtf8(m_keyring.readAllStandardError());
    }

    ~PrivateSecretService()
    {
        for (QProcess *daemon : { &m_keyring, &m_bus }) {
            daemon->kill();
            daemon->waitForFinished(5000);
        }
    }

    QString problem() const { return m_problem; }

    // What the keyring holds for the program under key, read as any other client would.
    static QString lookup(const QString &key)
    {
        return QString::fromUtf8(
            run(QStringLiteral("secret-tool"), QStringList { "lookup" } + attributes(key)));
    }

private:
    // Ready once the service names the collection that stores by default.
    bool waitForDefaultKeyring()
    {
        QDeadlineTimer deadline(20000);
        while (!deadline.hasExpired() && m_keyring.state() != QProcess::NotRunning) {
            if (run(QStringLiteral("dbus-send"),
                    { "--session", "--print-reply", "--dest=org.freedesktop.secrets",
                      "/org/freedesktop/secrets", "org.freedesktop.Secret.Service.ReadAlias",
                      "string:default" })
                    .contains("/org/freedesktop/secrets/collection/"))
                return true;
            QTest::qWait(50);
        }
        return false;
    }

    QProcess m_bus;
    QProcess m_keyring;
    QString m_problem;
};

// The sync password kept in a real desktop keyring through the set-up window and the password
// prompt.
class tst_SecretStore : public QObject
{
    Q_OBJECT

    std::optional<PrivateSecretService> service;
    std::optional<GuiFixture> fx;
    std::optional<RadicaleServer> server;
    QUrl book;

    static QString keyFor(const QUrl &root)
    {
        return QStringLiteral("carddav:alice@") + root.toString();
    }

private slots:
    // Before anything of the test program connects to the session bus, which Qt does only once.
    void initTestCase()
    {
        service.emplace();
        QVERIFY2(service->problem().isEmpty(), qPrintable(service->problem()));
    }
    void cleanupTestCase() { service.reset(); }

    void init()
    {
        fx.emplace();
        server.emplace();
        QVERIFY2(server->problem().isEmpty(), qPrintable(server->problem()));
        book = server->makeAddressBook(QStringLiteral("desk"));
        QVERIFY(!book.isEmpty());
    }
    void cleanup()
    {
        fx.reset();
        server.reset();
    }

    void setUpWindowKeepsThePassword()
    {
        LOG_IN(main, fx->app);
        const QUrl root = server->root();
        QTimer::singleShot(0, main, [root] {
            QWidget *settings = QApplication::activeModalWidget();
            QVERIFY(settings && settings->objectName() == QStringLiteral("FrmSyncSettings"));
            settings->findChild<QLineEdit *>(QStringLiteral("txtServer"))->setText(root.toString());
            settings->findChild<QLineEdit *>(QStringLiteral("txtUser"))->setText("alice");
            settings->findChild<QLineEdit *>(QStringLiteral("txtPassword"))->setText("secret");
            settings->findChild<QPushButton *>(QStringLiteral("cmdFind"))->click();
            auto *books = settings->findChild<QComboBox *>(QStringLiteral("cmbAddressBook"));
            QTRY_COMPARE(books->count(), 1);
            settings->findChild<QPushButton *>(QStringLiteral("cmdOK"))->click();
        });
        main->findChild<QAction *>(QStringLiteral("SyncSettings"))->trigger();
        QCOMPARE(SyncAccount::load().addressBook, book);
        QCOMPARE(PrivateSecretService::lookup(keyFor(root)), QStringLiteral("secret"));
    }

    // A kept password the server refuses brings up the password box until the server takes
    // one, which replaces the kept one; a cancel leaves it. With none kept, the password typed
    // at the first question is kept once the server takes it.
    void refusedPasswordIsAskedAgain_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("right at once") << "old-password" << QStringList { "secret" } << "secret";
        QTest::newRow("wrong, then right")
            << "old-password" << QStringList { "wrong", "secret" } << "secret";
        QTest::newRow("cancelled") << "old-password" << QStringList { QString() } << "old-password";
        QTest::newRow("none kept") << QString() << QStringList { "secret" } << "secret";
    }
    void refusedPasswordIsAskedAgain()
    {
        QFETCH(QString, stored);
        QFETCH(QStringList, typed);
        QFETCH(QString, kept);
        const QUrl root = server->root();
        const SyncAccount account { root, QStringLiteral("alice"), book };
        account.save();
        // Through the program's own store: an item filed any other way is a second item.
        if (!stored.isEmpty()) {
            QVERIFY(SecretStore::current().storePassword(account, stored));
            QCOMPARE(PrivateSecretService::lookup(keyFor(root)), stored);
        }
        LOG_IN(main, fx->app);

        // Answers each password box with the next typed password; an empty one cancels.
        QStringList questions;
        QTimer answering;
        connect(&answering, &QTimer::timeout, &answering, [&] {
            auto *box = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            if (!box || !box->isVisible() || questions.size() == typed.size())
                return;
            questions << box->windowTitle() + u'|' + box->labelText();
            const QString answer = typed.at(questions.size() - 1);
            if (answer.isEmpty()) {
                box->reject();
                return;
            }
            box->findChild<QLineEdit *>()->setText(answer);
            box->accept();
        });
        answering.start(10);
        if (kept == QStringLiteral("secret"))
            fx->prompts.expectMessage();
        main->findChild<QAction *>(QStringLiteral("SyncNow"))->trigger();

        const QString question = QStringLiteral("立即同步|请输入用户“alice”在 ") + root.toString()
            + QStringLiteral(" 的密码：");
        QCOMPARE(questions, QStringList(typed.size(), question));
        if (kept == QStringLiteral("secret"))
            QVERIFY2(fx->prompts.last().text.startsWith(QStringLiteral("同步完成")),
                     qPrintable(fx->prompts.last().text));
        QCOMPARE(PrivateSecretService::lookup(keyFor(root)), kept);
    }
};

QTEST_MAIN(tst_SecretStore)
#include "tst_secretstore.moc"
