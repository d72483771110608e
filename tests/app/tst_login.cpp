#include "AppDriver.h"
#include "RawSql.h"
#include "ScriptedPrompts.h"
#include "SqlWarnings.h"
#include "TestSandbox.h"
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
    std::unique_ptr<TestSandbox> sandbox;
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<AppDriver> app;
    QString file;

    static QStringList listed(frmLogin *login)
    {
        auto *users = login->findChild<QComboBox *>(QStringLiteral("cmbUsers"));
        QStringList names;
        for (int i = 0; i < users->count(); ++i)
            names << users->itemText(i);
        return names;
    }

    void setPassword(const QString &user, const QString &password)
    {
        QVERIFY(
            RawSql::run(file,
                        { QStringLiteral("UPDATE Users SET Password = '%1' WHERE UserName = '%2'")
                              .arg(PasswordHash::hash(password).value(), user) }));
    }

private slots:
    void init()
    {
        failOnSqlWarnings();
        sandbox = std::make_unique<TestSandbox>();
        prompts = std::make_unique<ScriptedPrompts>();
        app = std::make_unique<AppDriver>();
        file = sandbox->writeDefaultDataFile();
    }

    void cleanup()
    {
        app.reset();
        QCOMPARE(prompts->pending(), 0);
        prompts.reset();
        sandbox.reset();
    }

    void splashOpensTheLoginExactlyOnce_data()
    {
        QTest::addColumn<QString>("trigger");
        QTest::newRow("click") << QStringLiteral("click");
        QTest::newRow("enter") << QStringLiteral("enter");
        QTest::newRow("escape") << QStringLiteral("escape");
        QTest::newRow("timer") << QStringLiteral("timer");
    }

    void splashOpensTheLoginExactlyOnce()
    {
        QFETCH(QString, trigger);
        QPointer<frmSplash> splash = new frmSplash;
        splash->show();
        if (trigger == QLatin1String("click"))
            QTest::mouseClick(splash, Qt::LeftButton);
        else if (trigger == QLatin1String("enter"))
            QTest::keyClick(splash, Qt::Key_Return);
        else if (trigger == QLatin1String("escape"))
            QTest::keyClick(splash, Qt::Key_Escape);
        if (trigger != QLatin1String("timer"))
            QCOMPARE(AppDriver::visibleCount(QStringLiteral("frmLogin")), 1);
        // Once the splash is gone its timer cannot open a second dialog.
        QTRY_VERIFY(splash.isNull());
        QCOMPARE(AppDriver::visibleCount(QStringLiteral("frmLogin")), 1);
    }

    void chosenAccountIsListedFirstNextTime()
    {
        frmLogin *login = app->openLogin();
        QVERIFY(login);
        QCOMPARE(listed(login),
                 QStringList({ QStringLiteral("管理员"), QStringLiteral("普通用户") }));
        QCOMPARE(AppState::instance().userAccess, 0);

        login->findChild<QComboBox *>(QStringLiteral("cmbUsers"))->setCurrentIndex(1);
        QCOMPARE(AppState::instance().userAccess, 1);
        login->findChild<QPushButton *>(QStringLiteral("cmdCancel"))->click();
        QCOMPARE(app->endRequests, QList<int>({ 0 }));
        AppDriver::closeAll();

        login = app->openLogin();
        QCOMPARE(listed(login),
                 QStringList({ QStringLiteral("普通用户"), QStringLiteral("管理员") }));
    }

    void escapeEndsTheProgram()
    {
        frmLogin *login = app->openLogin();
        QTest::keyClick(login, Qt::Key_Escape);
        QCOMPARE(app->endRequests, QList<int>({ 0 }));
        QCOMPARE(AppDriver::visibleCount(QStringLiteral("frmMain")), 0);
    }

    void passwordIsComparedExactly_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        // The rule itself is the account store's; these rows show the dialog's two outcomes.
        QTest::newRow("right") << QStringLiteral("Sesam") << QStringLiteral("Sesam") << true;
        QTest::newRow("trailing blank")
            << QStringLiteral("Sesam") << QStringLiteral("Sesam ") << false;
    }

    void passwordIsComparedExactly()
    {
        QFETCH(QString, stored);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        setPassword(QStringLiteral("管理员"), stored);
        if (!accepted)
            prompts->expectMessage();
        frmMain *main = app->logIn(QStringLiteral("管理员"), typed);
        QCOMPARE(main != nullptr, accepted);
        if (accepted) {
            QCOMPARE(AppState::instance().loginUser, QStringLiteral("管理员"));
            QCOMPARE(main->windowTitle(), QStringLiteral("Zorvane"));
            QCOMPARE(AppDriver::visibleCount(QStringLiteral("frmLogin")), 0);
            return;
        }
        QCOMPARE(prompts->last().text, QStringLiteral("密码不对哦."));
        QCOMPARE(prompts->last().caption, QStringLiteral("出错啦"));
        QCOMPARE(prompts->last().icon, MessageIcon::Critical);
        auto *login = AppDriver::topLevel<frmLogin>(QStringLiteral("frmLogin"));
        QVERIFY(login);
        QCOMPARE(login->findChild<QLineEdit *>(QStringLiteral("txtPassword"))->text(), typed);
        QCOMPARE(login->findChild<QComboBox *>(QStringLiteral("cmbUsers"))->currentText(),
                 QStringLiteral("管理员"));
    }

    void rightThatCannotBeReadGivesANormalUser()
    {
        QVERIFY(RawSql::run(
            file,
            { QStringLiteral("UPDATE Users SET access = 'admin' WHERE UserName = '管理员'") }));
        AppState::instance().userAccess = 0;
        QVERIFY(app->logIn(QStringLiteral("管理员")));
        QVERIFY(AppState::instance().isNormalUser());
    }

    void fileWithoutAccountsRefusesTheLogin()
    {
        QVERIFY(RawSql::run(file, { QStringLiteral("DELETE FROM Users") }));
        prompts->expectMessage();
        QVERIFY(!app->logIn());
        QCOMPARE(prompts->last().text, QStringLiteral("该数据文件中没有任何用户，无法登陆！"));
        QVERIFY(AppDriver::topLevel(QStringLiteral("frmLogin")));
    }

    void unreadableChosenFileFallsBackWithAMessage()
    {
        AppSettings::setDatabasePath(sandbox->path(QStringLiteral("不存在.cot")));
        prompts->expectMessage();
        frmLogin *login = app->openLogin();
        QVERIFY(login);
        QCOMPARE(prompts->texts(),
                 QStringList({ QStringLiteral("打开数据出错，将恢复使用默认数据库！") }));
        QCOMPARE(prompts->last().caption, QStringLiteral("Zorvane"));
        QCOMPARE(listed(login).size(), 2);
        QCOMPARE(AppSettings::databasePath(), file);
    }

    void damagedDefaultFileEndsTheProgram()
    {
        QFile damaged(file);
        QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write("not a data file");
        damaged.close();
        prompts->expectMessage();
        QVERIFY(!app->openLogin());
        QCOMPARE(prompts->last().icon, MessageIcon::Critical);
        QCOMPARE(app->endRequests, QList<int>({ 1 }));
    }

    void plainTextPasswordsOfAnOlderFileStillWork()
    {
        QVERIFY(RawSql::run(
            file,
            { QStringLiteral(
                "UPDATE Users SET Password = 'Alt-Klartext-99' WHERE UserName = '管理员'") }));
        frmMain *main = app->logIn(QStringLiteral("管理员"), QStringLiteral("Alt-Klartext-99"));
        QVERIFY(main);
        AppDriver::closeAll();
        QVERIFY(RawSql::value(
                    file, QStringLiteral("SELECT Password FROM Users WHERE UserName = '管理员'"))
                    .toString()
                    .startsWith(QLatin1String("$argon2id$")));
        QFile raw(file);
        QVERIFY(raw.open(QIODevice::ReadOnly));
        QVERIFY(!raw.readAll().contains("Alt-Klartext-99"));
    }

    void fileFromAnEarlierBuildGainsTheMissingIndex()
    {
        const QString count = QStringLiteral(
            "SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND name = 'ContactsByGroup'");
        QVERIFY(RawSql::run(file, { QStringLiteral("DROP INDEX ContactsByGroup") }));
        QCOMPARE(RawSql::value(file, count).toInt(), 0);
        QVERIFY(app->logIn());
        AppDriver::closeAll();
        QCOMPARE(RawSql::value(file, count).toInt(), 1);
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
