#include "ContactTreeNodes.h"
#include "FileBytes.h"
#include "GuiFixture.h"
#include "RawSql.h"
#include "app/widgets/Frm_ExitSplash.h"
#include "app/widgets/frmMain.h"
#include "contacts/widgets/frmContacts.h"
#include "data/DataFileFactory.h"
#include "shared/AppSettings.h"
#include "shared/AppState.h"
#include "shared/Twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTreeWidget>
#include <QtTest>

// The commands' rules (what a new file or a back-up holds, what an import copies and asks) are
// tested with the core classes; these tests show the menu's wiring.
class TestDataFileMenu : public QObject
{
    Q_OBJECT

private:
    std::optional<GuiFixture> fx;
    QString templateFile;

    static void trigger(frmMain *main, const QString &item)
    {
        main->findChild<QAction *>(item)->trigger();
    }

    // Waits for the re-login the command ends with and logs in on the file it opens.
    frmMain *loginAfterSwitch(QPointer<frmMain> old)
    {
        if (!QTest::qWaitFor([&] { return old.isNull(); })
            || !QTest::qWaitFor([] { return AppDriver::topLevel(QStringLiteral("frmLogin")); }))
            return nullptr;
        AppDriver::closeAll();
        return fx->app.logIn();
    }

    static int contactNodes(frmMain *main, const QString &name)
    {
        return int(ContactTreeNodes::findAll(main->contactList()->tree(), name).size());
    }

    // Opens the editor on 王 伟 and answers its surname box.
    static QLineEdit *editWangWei(frmMain *main)
    {
        frmContacts *list = main->contactList();
        list->tree()->setCurrentItem(ContactTreeNodes::find(list->tree(), QStringLiteral("王 伟")));
        list->editSelected();
        return main->findChild<QLineEdit *>(QStringLiteral("txtFirstName"));
    }

    // The menu is where it was, on the file it had, and no re-login is on its way.
    static void stillOn(frmMain *main, const QString &file)
    {
        QCoreApplication::processEvents();
        QCOMPARE(AppDriver::topLevel<frmMain>(QStringLiteral("frmMain")), main);
        QVERIFY(!AppDriver::topLevel(QStringLiteral("frmLogin")));
        QCOMPARE(main->DB().path(), file);
    }

private slots:
    void init()
    {
        fx.emplace();
        templateFile = fx->sandbox.path(DataFileFactory::templateFileName());
        QVERIFY(DataFileFactory::createDataFile(templateFile));
        QVERIFY(
            RawSql::run(fx->file,
                        { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type) VALUES "
                                         "('王', '伟', '朋友'), ('O''Brien', 'Anna', '客户'), "
                                         "('李', '娜', '朋友')") }));
    }

    void cleanup()
    {
        fx->prompts.whileShown = nullptr; // it may hold a finished test's locals
        fx.reset();
    }

    void dialogsAreSetUpAndCancelChangesNothing_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("preset");
        const int save = int(ShownBox::Kind::SaveFile);
        const int open = int(ShownBox::Kind::OpenFile);
        QTest::newRow("create") << "Create_New" << save << QStringLiteral("新名片");
        QTest::newRow("back up") << "SaveMydata" << save << QStringLiteral("备份名片");
        QTest::newRow("choose") << "OpenMydata" << open << QString();
        QTest::newRow("import") << "ImportOther" << open << QString();
    }

    void dialogsAreSetUpAndCancelChangesNothing()
    {
        QFETCH(QString, item);
        QFETCH(int, kind);
        QFETCH(QString, preset);
        LOG_IN(main, fx->app);
        const auto before = RawSql::everything(fx->file);
        for (const QString &cancel : { QString(), QStringLiteral("   ") }) {
            fx->prompts.chooseFile(cancel);
            trigger(main, item);
            const ShownBox &dialog = fx->prompts.last();
            QCOMPARE(int(dialog.kind), kind);
            QCOMPARE(dialog.setup.filter, QStringLiteral("Zorvane数据文件(*.cot)"));
            QCOMPARE(dialog.setup.presetName, preset);
            QCOMPARE(dialog.setup.confirmOverwrite, kind == int(ShownBox::Kind::SaveFile));
        }
        stillOn(main, fx->file);
        QCOMPARE(AppSettings::databasePath(), QString());
        QVERIFY(main->contactList());
        QCOMPARE(RawSql::everything(fx->file), before);
    }

    void refusalIsReportedAndChangesNothing_data()
    {
        QTest::addColumn<QString>("item");
        QTest::newRow("create") << "Create_New";
        QTest::newRow("back up") << "SaveMydata";
    }

    void refusalIsReportedAndChangesNothing()
    {
        QFETCH(QString, item);
        QVERIFY(QFile::remove(templateFile));
        LOG_IN(main, fx->app);
        const auto before = RawSql::everything(fx->file);
        fx->prompts.chooseFile(item == QLatin1String("Create_New")
                                   ? fx->sandbox.path(QStringLiteral("新名片.cot"))
                                   : fx->file);
        fx->prompts.expectMessage();
        trigger(main, item);
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("出错啦"));
        QCOMPARE(fx->prompts.last().icon, MessageIcon::Exclamation);
        stillOn(main, fx->file);
        QCOMPARE(AppSettings::databasePath(), QString());
        QCOMPARE(RawSql::everything(fx->file), before);
        QVERIFY(!QFileInfo::exists(fx->sandbox.path(QStringLiteral("新名片.cot"))));
    }

    void backUpLeavesSettingsAndWindowsAsTheyWere()
    {
        AppSettings::setDatabasePath(fx->file);
        LOG_IN(main, fx->app);
        trigger(main, QStringLiteral("UpdatePwd"));
        editWangWei(main);
        auto *notes = main->findChild<QPlainTextEdit *>(QStringLiteral("txtNotes"));
        QVERIFY(notes);
        notes->setPlainText(QStringLiteral("尚未保存"));
        const auto windows = main->openChildren();
        const QString target = fx->sandbox.path(QStringLiteral("备份名片.cot"));
        fx->prompts.chooseFile(target);
        trigger(main, QStringLiteral("SaveMydata"));
        stillOn(main, fx->file);
        QCOMPARE(main->openChildren().size(), windows.size());
        QCOMPARE(AppSettings::databasePath(), fx->file);
        QCOMPARE(RawSql::everything(target), RawSql::everything(fx->file));
        QCOMPARE(notes->toPlainText(), QStringLiteral("尚未保存"));
    }

    // A switch re-logs in even onto the file already open, but only once every window closed.
    void switchWaitsUntilEveryWindowHasClosed_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("next");
        QTest::newRow("choose") << "OpenMydata" << QStringLiteral("旧.cot")
                                << QStringLiteral("其他.cot");
        QTest::newRow("default") << "Default_Data" << QStringLiteral("旧.cot") << QString();
        QTest::newRow("default again") << "Default_Data" << QString() << QString();
        QTest::newRow("create") << "Create_New" << QStringLiteral("旧.cot")
                                << QStringLiteral("新名片.cot");
    }

    void switchWaitsUntilEveryWindowHasClosed()
    {
        QFETCH(QString, item);
        QFETCH(QString, from);
        QFETCH(QString, next);
        const QString old = from.isEmpty() ? fx->file : fx->sandbox.path(from);
        if (old != fx->file)
            QVERIFY(QFile::copy(fx->file, old));
        AppSettings::setDatabasePath(old);
        next = next.isEmpty() ? fx->file : fx->sandbox.path(next);
        QVERIFY(DataFileFactory::createDataFile(fx->sandbox.path(QStringLiteral("其他.cot"))));
        LOG_IN(main, fx->app);
        QLineEdit *surname = editWangWei(main);
        surname->clear();
        const bool asksForFile = item != QLatin1String("Default_Data");
        if (asksForFile)
            fx->prompts.chooseFile(next);
        fx->prompts.expectMessage(); // the editor's own
        fx->prompts.expectMessage();
        trigger(main, item);
        QVERIFY(fx->prompts.last().text.startsWith(QStringLiteral("有窗口不能关闭")));
        stillOn(main, old);
        QCOMPARE(AppSettings::databasePath(), old);
        // Still on the old file: the editor stores there once it has a name.
        surname->setText(QStringLiteral("钱"));
        QVERIFY(main->childWindow(QStringLiteral("frmDetails"))->close());
        QCOMPARE(RawSql::value(
                     old, QStringLiteral("SELECT COUNT(*) FROM Contacts WHERE FirstName = '钱'"))
                     .toInt(),
                 1);

        if (asksForFile)
            fx->prompts.chooseFile(next);
        trigger(main, item);
        frmMain *again = loginAfterSwitch(main);
        QVERIFY(again);
        QCOMPARE(again->DB().path(), next);
        QVERIFY(fx->app.endRequests.isEmpty());
    }

    // While the import asks, the notice alone takes input: a re-login is refused, the notice
    // can be closed. Other windows stay open; the contact list is loaded again and
    // put back in its place.
    void importAsksWithTheNoticeShowingAndCancelKeepsEarlierRows()
    {
        LOG_IN(main, fx->app);
        trigger(main, QStringLiteral("UpdatePwd"));
        main->childWindow(QStringLiteral("frmContacts"))->move(300, 200);
        fx->prompts.chooseFile(fx->file);
        fx->prompts.expectMessage();
        for (Answer answer : { Answer::Yes, Answer::No, Answer::Cancel })
            fx->prompts.answer(answer);
        fx->prompts.expectMessage();
        int question = 0;
        QStringList notices;
        fx->prompts.whileShown = [&](const ShownBox &box) {
            if (box.kind != ShownBox::Kind::YesNoCancel)
                return;
            auto *notice = AppDriver::topLevel<Frm_ExitSplash>(QStringLiteral("Frm_ExitSplash"));
            notices << (notice ? notice->Label1()->text() + u'|' + notice->Label2()->text()
                               : QStringLiteral("no notice"));
            if (++question == 1) {
                // "重新登陆" by its shortcut does nothing; asked for directly it is refused.
                QTest::keyClick(main, Qt::Key_L, Qt::ControlModifier);
                main->Login_Click();
            } else if (question == 2) {
                QTest::mouseDClick(notice, Qt::LeftButton);
            }
        };
        trigger(main, QStringLiteral("ImportOther"));

        QCOMPARE(fx->prompts.texts().at(1),
                 QStringLiteral("正在导入数据，导入结束后才能重新登陆。"));
        const ShownBox &first = fx->prompts.shown().at(2);
        QCOMPARE(first.kind, ShownBox::Kind::YesNoCancel);
        QCOMPARE(first.caption, QStringLiteral("Zorvane"));
        QCOMPARE(first.text,
                 QStringLiteral("[ 王 伟 ] 已经存在于该数据库中，您确实要在导入一个吗？"));
        QCOMPARE(fx->prompts.shown().at(3).text,
                 QStringLiteral("[ O'Brien Anna ] 已经存在于该数据库中，您确实要在导入一个吗？"));
        QCOMPARE(notices,
                 QStringList({ QStringLiteral("开始导入联系人信息...请稍候...|"),
                               QStringLiteral("开始导入联系人信息...请稍候...|33 %"),
                               QStringLiteral("no notice") }));
        // What was left out, and why.
        QCOMPARE(fx->prompts.last().text,
                 QStringLiteral("已导入0个类别、1个联系人。\n1个同名联系人按您的选择没有导入。"));
        QVERIFY(AppSettings::formSplashLeft().isValid());
        stillOn(main, fx->file);
        QMdiSubWindow *list = main->childWindow(QStringLiteral("frmContacts"));
        QVERIFY(list);
        QCOMPARE(list->pos(), QPoint(Twips::toPixels(60), Twips::toPixels(60)));
        QCOMPARE(contactNodes(main, QStringLiteral("王 伟")), 2);
        QCOMPARE(contactNodes(main, QStringLiteral("O'Brien Anna")), 1);
        QVERIFY(main->childWindow(QStringLiteral("FrmPwd")));
    }

    void unopenableSourceIsReported()
    {
        const QString bad = fx->sandbox.path(QStringLiteral("名单.cot"));
        QVERIFY(FileBytes::write(bad, "王 伟, 李 娜\n"));
        LOG_IN(main, fx->app);
        fx->prompts.chooseFile(bad);
        fx->prompts.expectMessage();
        trigger(main, QStringLiteral("ImportOther"));
        QVERIFY(fx->prompts.last().text.startsWith(QStringLiteral("无法导入该数据文件")));
        QVERIFY(fx->prompts.last().text.contains(bad));
        QVERIFY(main->contactList());
        QTRY_VERIFY(!AppDriver::topLevel(QStringLiteral("Frm_ExitSplash")));
    }
};

QTEST_MAIN(TestDataFileMenu)
#include "tst_datafilemenu.moc"
