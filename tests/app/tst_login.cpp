#include "../../fuzz/HostileDataFiles.h"
#include "FileBytes.h"
#include "GuiFixture.h"
#include "RawSql.h"
#include "app/PasswordHash.h"
#include "app/widgets/frmLogin.h"
#include "app/widgets/frmMain.h"
#include "app/widgets/frmSplash.h"
#include "shared/AppSettings.h"
#include "shared/AppState.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestLogin : public QObject
{
    Q_OBJECT

private:
    std::optional<GuiFixture> fx;

    static QStringList listed(frmLogin *login)
    {
        auto *users = login->findChild<QComboBox *>(QStringLiteral("cmbUsers"));
        QStringList names;
        for (int i = 0; i < users->count(); ++i)
            names << users->itemText(i);
        return names;
    }

    void setAdministrator(const QString &column, const QString &value)
    {
        QVERIFY(RawSql::run(fx->file,
                            { QStringLiteral("UPDATE Users SET %1 = %2 WHERE UserName = "
                                             "'管理员'")
                                  .arg(column, RawSql::quoted(value)) }));
    }

private slots:
    void init() { fx.emplace(); }
    void cleanup() { fx.reset(); }

    void splashOpensTheLoginExactlyOnce_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("click") << 0;
        QTest::newRow("enter") << int(Qt::Key_Return);
        QTest::newRow("escape") << int(Qt::Key_Escape);
        QTest::newRow("timer") << -1;
    }

    void splashOpensTheLoginExactlyOnce()
    {
        QFETCH(int, key);
        QPointer<frmSplash> splash = new frmSplash;
        splash->show();
        if (key == 0)
            QTest::mouseClick(splash, Qt::LeftButton);
        else if (key > 0)
            QTest::keyClick(splash, Qt::Key(key));
        if (key >= 0)
            QCOMPARE(AppDriver::visibleCount(QStringLiteral("frmLogin")), 1);
        // Once the splash is gone its timer cannot open a second dialog.
        QTRY_VERIFY(splash.isNull());
        QCOMPARE(AppDriver::visibleCount(QStringLiteral("frmLogin")), 1);
    }

    // Choosing an account sets the right at once and is remembered even when the login is then
    // cancelled; cancel and Escape both end the program.
    void chosenAccountIsListedFirstNextTime()
    {
        frmLogin *login = fx->app.openLogin();
        QVERIFY(login);
        QCOMPARE(listed(login),
                 QStringList({ QStringLiteral("管理员"), QStringLiteral("普通用户") }));
        QCOMPARE(AppState::instance().userAccess, 0);

        login->findChild<QComboBox *>(QStringLiteral("cmbUsers"))->setCurrentIndex(1);
        QCOMPARE(AppState::instance().userAccess, 1);
        login->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
        QCOMPARE(fx->app.endRequests, QList<int>({ 0 }));
        AppDriver::closeAll();

        login = fx->app.openLogin();
        QCOMPARE(listed(login),
                 QStringList({ QStringLiteral("普通用户"), QStringLiteral("管理员") }));
        QTest::keyClick(login, Qt::Key_Escape);
        QCOMPARE(fx->app.endRequests, QList<int>({ 0, 0 }));
        QCOMPARE(AppDriver::visibleCount(QStringLiteral("frmMain")), 0);
    }

    // The comparison itself is the account store's; a right password is every test's login.
    void wrongPasswordKeepsTheDialogAsItWas()
    {
        setAdministrator(QStringLiteral("Password"),
                         PasswordHash::hash(QStringLiteral("Sesam")).value());
        fx->prompts.expectMessage();
        QVERIFY(!fx->app.logIn(QStringLiteral("管理员"), QStringLiteral("Sesam ")));
        QCOMPARE(fx->prompts.last().text, QStringLiteral("密码不对哦."));
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("出错啦"));
        QCOMPARE(fx->prompts.last().icon, MessageIcon::Critical);
        auto *login = AppDriver::topLevel<frmLogin>(QStringLiteral("frmLogin"));
        QVERIFY(login);
        QCOMPARE(login->findChild<QLineEdit *>(QStringLiteral("txtPassword"))->text(),
                 QStringLiteral("Sesam "));
        QCOMPARE(login->findChild<QComboBox *>(QStringLiteral("cmbUsers"))->currentText(),
                 QStringLiteral("管理员"));
    }

    void rightThatCannotBeReadGivesANormalUser()
    {
        setAdministrator(QStringLiteral("access"), QStringLiteral("admin"));
        AppState::instance().userAccess = 0;
        QVERIFY(fx->app.logIn(QStringLiteral("管理员")));
        QVERIFY(AppState::instance().isNormalUser());
    }

    void fileWithoutAccountsRefusesTheLogin()
    {
        QVERIFY(RawSql::run(fx->file, { QStringLiteral("DELETE FROM Users") }));
        fx->prompts.expectMessage();
        QVERIFY(!fx->app.logIn());
        QCOMPARE(fx->prompts.last().text, QStringLiteral("该数据文件中没有任何用户，无法登陆！"));
        QVERIFY(AppDriver::topLevel(QStringLiteral("frmLogin")));
    }

    // A file whose pages are damaged is no reason to lose sight of its contacts: the login keeps
    // it, read-only, and says why and how to go on.
    void damagedFileIsKeptReadOnlyWithAMessage()
    {
        QTemporaryDir crafted;
        const auto written = HostileDataFiles::write(crafted.path());
        QVERIFY2(written, qPrintable(written.message()));
        const QString damaged = fx->sandbox.path(QStringLiteral("损坏.cot"));
        QVERIFY(QFile::copy(crafted.filePath(QStringLiteral("free-list-damaged.cot")), damaged));
        const QByteArray before = FileBytes::read(damaged);
        AppSettings::setDatabasePath(damaged);
        fx->prompts.expectMessage();
        frmLogin *login = fx->app.openLogin();
        QVERIFY(login);
        QCOMPARE(fx->prompts.texts().size(), 1);
        const QString told = fx->prompts.last().text;
        QVERIFY2(
            told.startsWith(QStringLiteral("数据文件“") + damaged + QStringLiteral("”已损坏：")),
            qPrintable(told));
        QVERIFY(told.contains(QStringLiteral("“备份数据库文件”")));
        login->findChild<QPushButton *>(QStringLiteral("cmdLogin"))->click();
        QVERIFY(AppDriver::topLevel(QStringLiteral("frmMain")));
        QCOMPARE(AppSettings::databasePath(), damaged);
        QCOMPARE(FileBytes::read(damaged), before);
    }

    void unreadableChosenFileFallsBackWithAMessage()
    {
        AppSettings::setDatabasePath(fx->sandbox.path(QStringLiteral("不存在.cot")));
        fx->prompts.expectMessage();
        frmLogin *login = fx->app.openLogin();
        QVERIFY(login);
        // The reason follows the fallback message.
        QCOMPARE(fx->prompts.texts(),
                 QStringList({ QStringLiteral("打开数据出错，将恢复使用默认数据库！\n数据文件“")
                               + fx->sandbox.path(QStringLiteral("不存在.cot"))
                               + QStringLiteral("”不存在。") }));
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("Zorvane"));
        QCOMPARE(listed(login).size(), 2);
        QCOMPARE(AppSettings::databasePath(), fx->file);
    }

    void damagedDefaultFileEndsTheProgram()
    {
        QVERIFY(FileBytes::write(fx->file, "not a data file"));
        fx->prompts.expectMessage();
        QVERIFY(!fx->app.openLogin());
        QCOMPARE(fx->prompts.last().icon, MessageIcon::Critical);
        QCOMPARE(fx->app.endRequests, QList<int>({ 1 }));
    }

    // Opening a file of an older build hashes its plain-text passwords (wiping them is the
    // account store's) and adds the index it lacks.
    void olderFileIsUpgradedOnOpening()
    {
        setAdministrator(QStringLiteral("Password"), QStringLiteral("Alt-Klartext-99"));
        const QString indexCount = QStringLiteral(
            "SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name = 'ContactsByGroup'");
        QVERIFY(RawSql::run(fx->file, { QStringLiteral("DROP INDEX ContactsByGroup") }));
        QVERIFY(fx->app.logIn(QStringLiteral("管理员"), QStringLiteral("Alt-Klartext-99")));
        AppDriver::closeAll();
        QVERIFY(
            RawSql::value(fx->file,
                          QStringLiteral("SELECT Password FROM Users WHERE UserName = '管理员'"))
                .toString()
                .startsWith(QLatin1String("$argon2id$")));
        QCOMPARE(RawSql::value(fx->file, indexCount).toInt(), 1);
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
