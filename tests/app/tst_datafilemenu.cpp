#include "AppDriver.h"
#include "ContactTreeNodes.h"
#include "RawSql.h"
#include "ScriptedPrompts.h"
#include "SqlWarnings.h"
#include "TestSandbox.h"
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

namespace {

QList<QVariantList> everything(const QString &path)
{
    QList<QVariantList> all;
    for (const char *table : { "Contacts", "ContactType", "Users", "Reminders" })
        all << RawSql::rows(
            path, QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(QLatin1String(table)));
    return all;
}

QString dialogKind(ShownBox::Kind kind)
{
    return kind == ShownBox::Kind::OpenFile ? QStringLiteral("open")
        : kind == ShownBox::Kind::SaveFile  ? QStringLiteral("save")
                                            : QStringLiteral("box");
}

void sendMouse(QWidget *target, QEvent::Type type, const QPoint &offset, Qt::MouseButtons held)
{
    const QPoint global = target->mapToGlobal(QPoint(2, 2) + offset);
    QMouseEvent event(type, target->mapFromGlobal(global), global, Qt::LeftButton, held,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Notes what the notice window shows whenever a duplicate question comes up.
class NoticeWatchingPrompts : public ScriptedPrompts
{
public:
    Answer askYesNoCancel(QWidget *parent, MessageIcon icon, const QString &caption,
                          const QString &text) override
    {
        const auto *notice = AppDriver::topLevel<Frm_ExitSplash>(QStringLiteral("Frm_ExitSplash"));
        notices << (notice ? notice->Label1()->text() + QLatin1Char('|') + notice->Label2()->text()
                           : QStringLiteral("no notice"));
        if (duringQuestion)
            duringQuestion();
        return ScriptedPrompts::askYesNoCancel(parent, icon, caption, text);
    }

    QStringList notices;
    std::function<void()> duringQuestion;
};

} // namespace

class TestDataFileMenu : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestSandbox> sandbox;
    std::unique_ptr<NoticeWatchingPrompts> prompts;
    std::unique_ptr<AppDriver> app;
    QString defaultFile;
    QString templateFile;

    void trigger(frmMain *main, const QString &item)
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
        return app->logIn();
    }

    void addContacts(const QString &path, const QStringList &statements)
    {
        QVERIFY(RawSql::run(path, statements));
    }

    static int contactNodes(frmMain *main, const QString &name)
    {
        return int(ContactTreeNodes::findAll(main->contactList()->tree(), name).size());
    }

private slots:
    void init()
    {
        failOnSqlWarnings();
        sandbox = std::make_unique<TestSandbox>();
        prompts = std::make_unique<NoticeWatchingPrompts>();
        app = std::make_unique<AppDriver>();
        defaultFile = sandbox->writeDefaultDataFile();
        templateFile = sandbox->path(DataFileFactory::templateFileName());
        QVERIFY(DataFileFactory::createDataFile(templateFile));
        addContacts(defaultFile,
                    { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type) VALUES "
                                     "('王', '伟', '朋友'), ('O''Brien', 'Anna', '客户'), "
                                     "('李', '娜', '朋友')") });
    }

    void cleanup()
    {
        app.reset();
        QCOMPARE(prompts->pending(), 0);
        prompts.reset();
        sandbox.reset();
    }

    void dialogsAreSetUpAndCancelChangesNothing_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("preset");
        QTest::newRow("create") << QStringLiteral("Create_New") << QStringLiteral("save")
                                << QStringLiteral("新名片");
        QTest::newRow("back up") << QStringLiteral("SaveMydata") << QStringLiteral("save")
                                 << QStringLiteral("备份名片");
        QTest::newRow("choose") << QStringLiteral("OpenMydata") << QStringLiteral("open")
                                << QString();
        QTest::newRow("import") << QStringLiteral("ImportOther") << QStringLiteral("open")
                                << QString();
    }

    void dialogsAreSetUpAndCancelChangesNothing()
    {
        QFETCH(QString, item);
        QFETCH(QString, kind);
        QFETCH(QString, preset);
        frmMain *main = app->logIn();
        QVERIFY(main);
        const auto before = everything(defaultFile);
        for (const QString &cancel : { QString(), QStringLiteral("   ") }) {
            prompts->chooseFile(cancel);
            trigger(main, item);
            const ShownBox &dialog = prompts->last();
            QCOMPARE(dialogKind(dialog.kind), kind);
            QCOMPARE(dialog.setup.filter, QStringLiteral("Zorvane数据文件(*.cot)"));
            QCOMPARE(dialog.setup.presetName, preset);
            QCOMPARE(dialog.setup.confirmOverwrite, kind == QLatin1String("save"));
        }
        QCoreApplication::processEvents();
        QCOMPARE(AppDriver::topLevel<frmMain>(QStringLiteral("frmMain")), main);
        QVERIFY(!AppDriver::topLevel(QStringLiteral("frmLogin")));
        QCOMPARE(AppSettings::databasePath(), QString());
        QVERIFY(main->contactList());
        QCOMPARE(everything(defaultFile), before);
    }

    void failedNewDataFileIsReportedAndChangesNothing_data()
    {
        QTest::addColumn<QString>("problem");
        QTest::newRow("template missing") << QStringLiteral("template missing");
        QTest::newRow("folder missing") << QStringLiteral("folder missing");
        QTest::newRow("current file") << QStringLiteral("current file");
    }

    void failedNewDataFileIsReportedAndChangesNothing()
    {
        QFETCH(QString, problem);
        QString target = sandbox->path(QStringLiteral("新名片.cot"));
        if (problem == QLatin1String("template missing"))
            QVERIFY(QFile::remove(templateFile));
        else if (problem == QLatin1String("folder missing"))
            target = sandbox->path(QStringLiteral("没有这个文件夹/新名片.cot"));
        else
            target = defaultFile;
        frmMain *main = app->logIn();
        const auto before = everything(defaultFile);
        prompts->chooseFile(target);
        prompts->expectMessage();
        trigger(main, QStringLiteral("Create_New"));
        QCOMPARE(prompts->last().caption, QStringLiteral("出错啦"));
        QCOMPARE(prompts->last().icon, MessageIcon::Exclamation);
        QCoreApplication::processEvents();
        QCOMPARE(AppDriver::topLevel<frmMain>(QStringLiteral("frmMain")), main);
        QVERIFY(!AppDriver::topLevel(QStringLiteral("frmLogin")));
        QCOMPARE(AppSettings::databasePath(), QString());
        QCOMPARE(AppState::instance().dbPath, defaultFile);
        QCOMPARE(everything(defaultFile), before);
        QVERIFY(!QFileInfo::exists(sandbox->path(QStringLiteral("新名片.cot"))));
    }

    void backUpLeavesSettingsAndWindowsAsTheyWere()
    {
        AppSettings::setDatabasePath(defaultFile);
        frmMain *main = app->logIn();
        trigger(main, QStringLiteral("UpdatePwd"));
        // An editor holding a change it has not stored yet.
        main->contactList()->tree()->setCurrentItem(
            ContactTreeNodes::find(main->contactList()->tree(), QStringLiteral("王 伟")));
        main->contactList()->editSelected();
        auto *notes = main->findChild<QPlainTextEdit *>(QStringLiteral("txtNotes"));
        QVERIFY(notes);
        notes->setPlainText(QStringLiteral("尚未保存"));
        const auto windows = main->openChildren();
        const QString target = sandbox->path(QStringLiteral("备份名片.cot"));
        prompts->chooseFile(target);
        trigger(main, QStringLiteral("SaveMydata"));
        QCoreApplication::processEvents();
        QCOMPARE(AppDriver::topLevel<frmMain>(QStringLiteral("frmMain")), main);
        QCOMPARE(main->openChildren().size(), windows.size());
        QCOMPARE(AppSettings::databasePath(), defaultFile);
        QCOMPARE(main->DB().path(), defaultFile);
        QCOMPARE(everything(target), everything(defaultFile));
        QCOMPARE(notes->toPlainText(), QStringLiteral("尚未保存"));

        prompts->chooseFile(defaultFile);
        prompts->expectMessage();
        trigger(main, QStringLiteral("SaveMydata"));
        QVERIFY(prompts->last().text.contains(QStringLiteral("当前正在使用的数据库文件")));
        QCOMPARE(everything(target), everything(defaultFile));
    }

    void defaultDataFileLogsInAgainEvenWhenAlreadyOpen()
    {
        frmMain *main = app->logIn();
        QCOMPARE(main->DB().path(), defaultFile);
        trigger(main, QStringLiteral("Default_Data"));
        QCOMPARE(AppSettings::databasePath(), defaultFile);
        frmMain *again = loginAfterSwitch(main);
        QVERIFY(again);
        QCOMPARE(again->DB().path(), defaultFile);
        QVERIFY(app->endRequests.isEmpty());
    }

    void switchWaitsUntilEveryWindowHasClosed_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("next");
        QTest::newRow("choose") << QStringLiteral("OpenMydata") << QStringLiteral("其他.cot");
        QTest::newRow("default") << QStringLiteral("Default_Data") << QString();
        QTest::newRow("create") << QStringLiteral("Create_New") << QStringLiteral("新名片.cot");
    }

    void switchWaitsUntilEveryWindowHasClosed()
    {
        QFETCH(QString, item);
        QFETCH(QString, next);
        const QString old = sandbox->path(QStringLiteral("旧.cot"));
        QVERIFY(QFile::copy(defaultFile, old));
        AppSettings::setDatabasePath(old);
        next = next.isEmpty() ? defaultFile : sandbox->path(next);
        QVERIFY(DataFileFactory::createDataFile(sandbox->path(QStringLiteral("其他.cot"))));
        frmMain *main = app->logIn();
        frmContacts *list = main->contactList();
        list->tree()->setCurrentItem(ContactTreeNodes::find(list->tree(), QStringLiteral("王 伟")));
        list->editSelected();
        auto *surname = main->findChild<QLineEdit *>(QStringLiteral("txtFirstName"));
        surname->clear();
        const bool asksForFile = item != QLatin1String("Default_Data");
        if (asksForFile)
            prompts->chooseFile(next);
        prompts->expectMessage(); // the editor's own
        prompts->expectMessage();
        trigger(main, item);
        QVERIFY(prompts->last().text.startsWith(QStringLiteral("有窗口不能关闭")));
        QCoreApplication::processEvents();
        QVERIFY(!AppDriver::topLevel(QStringLiteral("frmLogin")));
        QCOMPARE(AppSettings::databasePath(), old);
        // Still on the old file: the editor stores there once it has a name.
        surname->setText(QStringLiteral("钱"));
        QVERIFY(main->childWindow(QStringLiteral("frmDetails"))->close());
        QCOMPARE(RawSql::value(
                     old, QStringLiteral("SELECT COUNT(*) FROM Contacts WHERE FirstName = '钱'"))
                     .toInt(),
                 1);

        if (asksForFile)
            prompts->chooseFile(next);
        trigger(main, item);
        frmMain *again = loginAfterSwitch(main);
        QVERIFY(again);
        QCOMPARE(again->DB().path(), next);
    }

    void importIntoItselfAsksWithTheNoticeShowingAndCancelKeepsEarlierRows()
    {
        frmMain *main = app->logIn();
        QVERIFY(main);
        main->childWindow(QStringLiteral("frmContacts"))->move(300, 200);
        prompts->chooseFile(defaultFile);
        prompts->answer(Answer::Yes);
        prompts->answer(Answer::Cancel);
        trigger(main, QStringLiteral("ImportOther"));

        QCOMPARE(prompts->shown().size(), 3);
        const ShownBox &question = prompts->shown().at(1);
        QCOMPARE(question.kind, ShownBox::Kind::YesNoCancel);
        QCOMPARE(question.caption, QStringLiteral("Zorvane"));
        QCOMPARE(question.text,
                 QStringLiteral("[ 王 伟 ] 已经存在于该数据库中，您确实要在导入一个吗？"));
        QCOMPARE(prompts->last().text,
                 QStringLiteral("[ O'Brien Anna ] 已经存在于该数据库中，您确实要在导入一个吗？"));
        QCOMPARE(prompts->notices,
                 QStringList({ QStringLiteral("开始导入联系人信息...请稍候...|"),
                               QStringLiteral("开始导入联系人信息...请稍候...|33 %") }));
        QTRY_VERIFY(!AppDriver::topLevel(QStringLiteral("Frm_ExitSplash")));
        QVERIFY(AppSettings::formSplashLeft().isValid());

        QCOMPARE(
            RawSql::value(defaultFile, QStringLiteral("SELECT COUNT(*) FROM Contacts")).toInt(), 4);
        QMdiSubWindow *list = main->childWindow(QStringLiteral("frmContacts"));
        QVERIFY(list);
        QCOMPARE(list->pos(), QPoint(Twips::toPixels(60), Twips::toPixels(60)));
        QCOMPARE(contactNodes(main, QStringLiteral("王 伟")), 2);
    }

    void noticeAloneTakesInputWhileTheImportRuns()
    {
        frmMain *main = app->logIn();
        prompts->chooseFile(defaultFile);
        prompts->expectMessage();
        for (int i = 0; i < 3; ++i)
            prompts->answer(Answer::No);
        int question = 0;
        QPoint start;
        prompts->duringQuestion = [&] {
            auto *notice = AppDriver::topLevel<Frm_ExitSplash>(QStringLiteral("Frm_ExitSplash"));
            if (++question == 1) {
                // "重新登陆" by its shortcut does nothing; asked for directly it is refused.
                QTest::keyClick(main, Qt::Key_L, Qt::ControlModifier);
                main->Login_Click();
                start = notice->pos();
                sendMouse(notice, QEvent::MouseButtonPress, {}, Qt::LeftButton);
                sendMouse(notice, QEvent::MouseMove, QPoint(-40, 30), Qt::LeftButton);
                sendMouse(notice, QEvent::MouseButtonRelease, QPoint(-40, 30), Qt::NoButton);
            } else if (question == 2) {
                QCOMPARE(notice->pos(), start + QPoint(-40, 30));
                sendMouse(notice, QEvent::MouseButtonDblClick, {}, Qt::LeftButton);
            }
        };
        trigger(main, QStringLiteral("ImportOther"));
        QCOMPARE(prompts->texts().at(1), QStringLiteral("正在导入数据，导入结束后才能重新登陆。"));
        QCOMPARE(prompts->notices.last(), QStringLiteral("no notice"));
        QCoreApplication::processEvents();
        QVERIFY(!AppDriver::topLevel(QStringLiteral("frmLogin")));
        QCOMPARE(AppDriver::topLevel<frmMain>(QStringLiteral("frmMain")), main);
    }

    void importCopiesNewContactsWithoutAsking()
    {
        const QString source = sandbox->path(QStringLiteral("来源.cot"));
        QVERIFY(DataFileFactory::createDataFile(source));
        addContacts(source,
                    { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type) VALUES "
                                     "('模板', '模板', ''), ('姓', '名字', ''), "
                                     "('赵', '敏', '同学'), ('赵', '敏', '同学')"),
                      QStringLiteral("INSERT INTO ContactType (Name, Type, Number) "
                                     "VALUES ('球友', 3, 99)") });
        frmMain *main = app->logIn();
        trigger(main, QStringLiteral("UpdatePwd"));
        prompts->chooseFile(source);
        prompts->answer(Answer::No);
        trigger(main, QStringLiteral("ImportOther"));
        QCOMPARE(prompts->last().text,
                 QStringLiteral("[ 赵 敏 ] 已经存在于该数据库中，您确实要在导入一个吗？"));
        QCOMPARE(contactNodes(main, QStringLiteral("赵 敏")), 1);
        QCOMPARE(RawSql::value(defaultFile,
                               QStringLiteral("SELECT COUNT(*) FROM Contacts WHERE FirstName IN "
                                              "('模板', '姓')"))
                     .toInt(),
                 0);
        QCOMPARE(
            RawSql::value(defaultFile,
                          QStringLiteral("SELECT COUNT(*) FROM ContactType WHERE Name = '球友'"))
                .toInt(),
            1);
        // Only the contact list is loaded again; other windows stay open.
        QVERIFY(main->childWindow(QStringLiteral("FrmPwd")));
    }

    void unopenableSourceIsReportedAndChangesNothing()
    {
        const QString bad = sandbox->path(QStringLiteral("名单.cot"));
        QFile file(bad);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("王 伟, 李 娜\n");
        file.close();
        frmMain *main = app->logIn();
        const auto before = everything(defaultFile);
        prompts->chooseFile(bad);
        prompts->expectMessage();
        trigger(main, QStringLiteral("ImportOther"));
        QVERIFY(prompts->last().text.startsWith(QStringLiteral("无法导入该数据文件")));
        QVERIFY(prompts->last().text.contains(bad));
        QCOMPARE(everything(defaultFile), before);
        QVERIFY(main->contactList());
        QTRY_VERIFY(!AppDriver::topLevel(QStringLiteral("Frm_ExitSplash")));
    }
};

QTEST_MAIN(TestDataFileMenu)
#include "tst_datafilemenu.moc"
