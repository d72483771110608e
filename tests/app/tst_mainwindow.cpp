#include "GuiFixture.h"
#include "RawSql.h"
#include "app/widgets/frmMain.h"
#include "contacts/widgets/frmContacts.h"
#include "data/DataFileFactory.h"
#include "shared/AppSettings.h"
#include "shared/AppState.h"
#include "shared/GeneralDate.h"
#include "shared/Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QTreeWidget>
#include <QtTest>

class TestMainWindow : public QObject
{
    Q_OBJECT

private:
    std::optional<GuiFixture> fx;

    static QAction *menuItem(frmMain *main, const QString &name)
    {
        return main->findChild<QAction *>(name);
    }

    static QString greeting(frmMain *main)
    {
        return main->findChild<QLabel *>(QStringLiteral("sbMain(1)"))->text();
    }

    QMdiSubWindow *openPasswordWindow(frmMain *main)
    {
        menuItem(main, QStringLiteral("UpdatePwd"))->trigger();
        return main->childWindow(QStringLiteral("FrmPwd"));
    }

    void typePasswords(QMdiSubWindow *window, const QStringList &texts)
    {
        for (int i = 0; i < texts.size(); ++i)
            window->findChild<QLineEdit *>(QStringLiteral("Text1(%1)").arg(i))
                ->setText(texts.at(i));
        window->findChild<QPushButton *>(QStringLiteral("cmdUpdate"))->click();
    }

private slots:
    void init() { fx.emplace(QDateTime(QDate(2026, 12, 7), QTime(9, 5, 3))); }
    void cleanup() { fx.reset(); }

    // One line a menu: its caption, then each item's caption and shortcut ("-" a separator).
    void menusFollowTheirOrderCaptionsAndShortcuts()
    {
        LOG_IN(main, fx->app);
        QStringList seen;
        for (QAction *menu : main->menuBar()->actions()) {
            QStringList items { menu->text() };
            for (QAction *item : menu->menu()->actions())
                items << (item->isSeparator()
                              ? QStringLiteral("-")
                              : (item->text() + u' ' + item->shortcut().toString()).trimmed());
            seen << items.join(u'|');
        }
        QCOMPARE(
            seen,
            QStringList({ QStringLiteral("系统|创建新的数据库|备份数据库文件|-|选择数据库文件|"
                                         "打开默认数据库|导入数据文件|-|重新登陆 Ctrl+L|"
                                         "更改密码 Ctrl+D|-|关闭所有窗体 Ctrl+Q|退出 Ctrl+X"),
                          QStringLiteral("用户|用户管理|权限管理"),
                          QStringLiteral("视图|隐藏/显示名单列表 Ctrl+M|隐藏/显示记忆卡 Ctrl+N"),
                          QStringLiteral("名片|扫描名片...|导入名片文件(vCard/CSV)...|"
                                         "导出名片文件(vCard/CSV)...|-|查找重复联系人...|-|"
                                         "立即同步|同步设置(CardDAV)..."),
                          QStringLiteral("帮助|关于 Ctrl+S|帮助 Ctrl+H|更新检测") }));
        QVERIFY(!main->menuBar()->actions().at(1)->isEnabled());
    }

    // The tests run in the C locale and in UTC: short date, a blank, a time without its zone.
    void greetingShowsUserAndClockAndFollowsTheTimer()
    {
        LOG_IN(main, fx->app, QStringLiteral("普通用户"));
        const QString prefix = QStringLiteral("普通用户,您好！欢迎使用[Zorvane]，现在时间是：");
        QCOMPARE(greeting(main), prefix + QStringLiteral("7 Dec 2026 09:05:03"));
        fx->clock->time = fx->clock->time.addSecs(3600);
        QTRY_COMPARE(greeting(main), prefix + QStringLiteral("7 Dec 2026 10:05:03"));

        QMdiSubWindow *window = openPasswordWindow(main);
        fx->prompts.expectMessage();
        typePasswords(window, { QString(), QStringLiteral("neu"), QStringLiteral("neu") });
        fx->clock->time = fx->clock->time.addSecs(60);
        QTRY_COMPARE(greeting(main), prefix + QStringLiteral("7 Dec 2026 10:06:03"));
    }

    void reloginRebuildsOnTheFileTheSettingsName()
    {
        LOG_IN(main, fx->app);
        const QString other = fx->sandbox.path(QStringLiteral("其他.cot"));
        QVERIFY(DataFileFactory::createDataFile(other));
        QVERIFY(RawSql::run(
            other, { QStringLiteral("UPDATE Users SET UserName = 'Other' WHERE access = 1") }));
        AppSettings::setDatabasePath(other);
        QPointer<frmMain> old = main;
        menuItem(main, QStringLiteral("Login"))->trigger();
        QTRY_VERIFY(old.isNull());
        QTRY_VERIFY(AppDriver::topLevel(QStringLiteral("frmLogin")));
        QVERIFY(fx->app.endRequests.isEmpty());
        AppDriver::closeAll();
        QVERIFY(fx->app.endRequests.isEmpty());

        LOG_IN(again, fx->app, QStringLiteral("Other"));
        QCOMPARE(again->DB().path(), other);
        QCOMPARE(AppState::instance().dbPath, other);
    }

    void closingTheFrameEndsTheProgramAndExitEndsAtOnce()
    {
        LOG_IN(main, fx->app);
        menuItem(main, QStringLiteral("mnuExit"))->trigger();
        QCOMPARE(fx->app.endRequests, QList<int>({ 0 }));
        QVERIFY(main->contactList());
        main->close();
        QCOMPARE(fx->app.endRequests, QList<int>({ 0, 0 }));
    }

    void closeAllStopsAfterFiftyOneWindows()
    {
        LOG_IN(main, fx->app);
        QCOMPARE(main->mdiArea()->subWindowList().size(), 2);
        for (int i = 0; i < 50; ++i) {
            auto *extra = new QWidget;
            extra->setObjectName(QStringLiteral("extra%1").arg(i));
            main->showChild(extra);
        }
        QCOMPARE(main->mdiArea()->subWindowList().size(), 52);
        menuItem(main, QStringLiteral("CloseAll"))->trigger();
        QCOMPARE(main->mdiArea()->subWindowList().size(), 1);
    }

    void resizeKeepsRemindersAtTheRightAndDocksTheList()
    {
        LOG_IN(main, fx->app);
        main->resize(900, 600);
        QMdiSubWindow *reminders = main->childWindow(QStringLiteral("frmReminders"));
        QVERIFY(reminders);
        QCOMPARE(reminders->x(), 900 - (reminders->width() + Twips::toPixels(240)));
        QMdiSubWindow *list = main->childWindow(QStringLiteral("frmContacts"));
        QCOMPARE(list->geometry().topLeft(), QPoint(Twips::toPixels(60), 0));
        QCOMPARE(list->height(), 600 - Twips::toPixels(1200));
        // A hidden list stays hidden through a resize.
        menuItem(main, QStringLiteral("mnuShowContactList"))->trigger();
        QTRY_VERIFY(!main->childWindow(QStringLiteral("frmContacts")));
        main->resize(700, 500);
        QVERIFY(!main->childWindow(QStringLiteral("frmContacts")));
        QCOMPARE(reminders->x(), 700 - (reminders->width() + Twips::toPixels(240)));
    }

    void passwordDialogChecksAndStores_data()
    {
        QTest::addColumn<QStringList>("typed");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focused");
        QTest::newRow("wrong old")
            << QStringList({ QStringLiteral("x"), QStringLiteral("a"), QStringLiteral("a") })
            << QStringLiteral("与原来设置的密码不符哦！") << QStringLiteral("Text1(0)");
        QTest::newRow("differ") << QStringList(
            { QString(), QStringLiteral("a"), QStringLiteral("b") })
                                << QStringLiteral("新密码和确认密码不一致，请重新输入！")
                                << QStringLiteral("Text1(1)");
        QTest::newRow("saved") << QStringList(
            { QStringLiteral("  "), QStringLiteral(" Neu-1 "), QStringLiteral("Neu-1") })
                               << QStringLiteral("恭喜恭喜，更改密码成功！") << QString();
    }

    void passwordDialogChecksAndStores()
    {
        QFETCH(QStringList, typed);
        QFETCH(QString, message);
        QFETCH(QString, focused);
        LOG_IN(main, fx->app, QStringLiteral("管理员"));
        QMdiSubWindow *window = openPasswordWindow(main);
        QVERIFY(window);
        QCOMPARE(window->widget()->windowTitle(), QStringLiteral("为[管理员]更改密码"));
        main->mdiArea()->setActiveSubWindow(window);
        fx->prompts.expectMessage();
        typePasswords(window, typed);
        QCOMPARE(fx->prompts.last().text, message);
        const QString stored
            = RawSql::value(fx->file,
                            QStringLiteral("SELECT Password FROM Users WHERE UserName = '管理员'"))
                  .toString();
        if (!focused.isEmpty()) {
            QCOMPARE(fx->prompts.last().caption, QStringLiteral("出错啦"));
            QCOMPARE(window->widget()->focusWidget()->objectName(), focused);
            QCOMPARE(stored, QString());
            QVERIFY(main->childWindow(QStringLiteral("FrmPwd")));
            return;
        }
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("恭喜你！"));
        QTRY_VERIFY(!main->childWindow(QStringLiteral("FrmPwd")));
        QVERIFY(stored.startsWith(QLatin1String("$argon2id$")));
        AppDriver::closeAll();

        fx->prompts.expectMessage();
        QVERIFY(!fx->app.logIn(QStringLiteral("管理员"), QString()));
        AppDriver::closeAll();
        QVERIFY(fx->app.logIn(QStringLiteral("管理员"), QStringLiteral("Neu-1")));
    }

    void passwordDialogTellsOfAVanishedAccount()
    {
        LOG_IN(main, fx->app, QStringLiteral("管理员"));
        QVERIFY(RawSql::run(fx->file,
                            { QStringLiteral("DELETE FROM Users WHERE UserName = '管理员'") }));
        fx->prompts.expectMessage();
        openPasswordWindow(main);
        QTRY_COMPARE(fx->prompts.shown().size(), 1);
        QCOMPARE(fx->prompts.last().text, QStringLiteral("当前登陆的用户无效，请重新登陆！"));
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("出错啦！"));
    }

    void refreshContactsStoresEditsAndLeavesOnlyAFreshListShowingRenamedGroups()
    {
        LOG_IN(main, fx->app);
        openPasswordWindow(main);
        // An editor closed by the refresh keeps what was typed in it.
        main->OpenDetails(QStringLiteral("模板 模板"), QString());
        main->findChild<QLineEdit *>(QStringLiteral("txtPostcode"))
            ->setText(QStringLiteral("100000"));
        QCOMPARE(main->openChildren().size(), 4);
        QTimer::singleShot(0, main, [] {
            QWidget *manager = QApplication::activeModalWidget();
            QVERIFY(manager);
            auto *lines = manager->findChild<QListWidget *>(QStringLiteral("ListBox1"));
            const auto found = lines->findItems(QStringLiteral("朋友"), Qt::MatchExactly);
            QCOMPARE(found.size(), 1);
            QTest::mouseClick(lines->viewport(), Qt::LeftButton, {},
                              lines->visualItemRect(found.first()).center());
            manager->findChild<QLineEdit *>(QStringLiteral("Datafiled(0)"))
                ->setText(QStringLiteral("好朋友"));
            manager->findChild<QPushButton *>(QStringLiteral("cmdUpdate"))->click();
            manager->findChild<QPushButton *>(QStringLiteral("Command3"))->click();
        });
        main->openCategoryManager(3, main);
        QTRY_COMPARE(main->openChildren().size(), 1);
        QMdiSubWindow *list = main->childWindow(QStringLiteral("frmContacts"));
        QVERIFY(list);
        QCOMPARE(list->pos(), QPoint(Twips::toPixels(60), Twips::toPixels(60)));
        auto *contacts = qobject_cast<frmContacts *>(list->widget());
        QCOMPARE(contacts->tree()->findItems(QStringLiteral("好朋友"), Qt::MatchExactly).size(), 1);
        QCOMPARE(contacts->tree()->findItems(QStringLiteral("朋友"), Qt::MatchExactly).size(), 0);
        QCOMPARE(
            RawSql::value(fx->file,
                          QStringLiteral("SELECT Postcode FROM Contacts WHERE FirstName = '模板'"))
                .toString(),
            QStringLiteral("100000"));
    }

    void updateCheckOpensOneWindow()
    {
        qputenv("ZORVANE_UPDATE_URL", "http://127.0.0.1:9/zorvaneupdate.txt");
        LOG_IN(main, fx->app);
        menuItem(main, QStringLiteral("Update"))->trigger();
        menuItem(main, QStringLiteral("Update"))->trigger();
        int updates = 0;
        for (QMdiSubWindow *window : main->openChildren())
            updates += window->widget()->objectName() == QLatin1String("FrmUpdate");
        QCOMPARE(updates, 1);
        qunsetenv("ZORVANE_UPDATE_URL");
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
