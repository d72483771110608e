#include "ContactTreeNodes.h"
#include "FileBytes.h"
#include "GuiFixture.h"
#include "RawSql.h"
#include "WhenModalShown.h"
#include "app/widgets/frmMain.h"
#include "categories/CategoryKind.h"
#include "categories/widgets/FrmType.h"
#include "contacts/widgets/frmContacts.h"
#include "contacts/widgets/frmDetails.h"
#include "reminders/widgets/frmAgent.h"
#include "reminders/widgets/frmReminders.h"
#include "shared/AppSettings.h"

#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// A data file and its folder the program cannot write, restored however the test ends. File
// permissions do not stop the super-user, so there both are made immutable instead.
class UnwritableMedium
{
public:
    explicit UnwritableMedium(const QString &file)
        : m_paths { file, QFileInfo(file).absolutePath() }
    {
        m_set = setWritable(false);
    }
    ~UnwritableMedium()
    {
        if (m_set)
            setWritable(true);
    }
    UnwritableMedium(const UnwritableMedium &) = delete;
    UnwritableMedium &operator=(const UnwritableMedium &) = delete;

    bool isSet() const { return m_set; }

private:
    bool setWritable(bool writable) const
    {
        bool done = true;
        for (const QString &path : m_paths)
            done = (::geteuid() == 0 ? setImmutable(path, !writable) : setMode(path, writable))
                && done;
        return done;
    }

    static bool setMode(const QString &path, bool writable)
    {
        QFile::Permissions mode = QFile::ReadOwner;
        if (QFileInfo(path).isDir())
            mode |= QFile::ExeOwner;
        if (writable)
            mode |= QFile::WriteOwner;
        return QFile::setPermissions(path, mode);
    }

    static bool setImmutable(const QString &path, bool on)
    {
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(fd);
        return done;
    }

    QStringList m_paths;
    bool m_set = false;
};

const QString notice = QStringLiteral("这个数据文件不能写入（文件或它所在的磁盘是只读的），"
                                      "现在只能查看联系人，不能添加、修改或删除。");
const QString refusal = QStringLiteral("这个数据文件是只读的，不能进行这项操作。");

// A toolbar button of the to-do list, or a tick on its first line.
void runOnReminders(frmMain &main, const QString &command)
{
    // The main window opens the list as it lays out its children.
    frmReminders *reminders = main.reminderList();
    QVERIFY(reminders);
    auto *lines = reminders->findChild<QListWidget *>(QStringLiteral("lstReminders"));
    QCOMPARE(lines->count(), 1);
    lines->setCurrentRow(0);
    if (command == QStringLiteral("打钩")) {
        QTest::keyClick(lines, Qt::Key_Space);
        // The box the user ticked shows what the file holds again.
        QTRY_COMPARE(lines->item(0)->checkState(), Qt::Unchecked);
        return;
    }
    for (QAction *action : reminders->findChild<QToolBar *>()->actions()) {
        if (action->text() == command)
            return action->trigger();
    }
    QFAIL(qPrintable(QStringLiteral("no toolbar button ") + command));
}

// A button of the category manager, with its second category chosen and renamed.
void runOnCategoryManager(frmMain &main, const QString &button)
{
    WhenModalShown<FrmType> work([button](FrmType *manager) {
        auto *list = manager->findChild<QListWidget *>(QStringLiteral("ListBox1"));
        list->setCurrentRow(2);
        manager->findChild<QLineEdit *>(QStringLiteral("Datafiled(0)"))
            ->setText(QStringLiteral("旧同学"));
        manager->findChild<QPushButton *>(button)->click();
        manager->close();
    });
    main.openCategoryManager(CategoryKind::RelationshipGroup, &main);
    QVERIFY(work.seen());
}

} // namespace

// A data file that cannot be written: the user hears so once, commands that would write are
// refused before they start, and an editor with nothing changed closes.
class TestReadOnlyFile : public QObject
{
    Q_OBJECT

private:
    std::optional<GuiFixture> fx;
    std::optional<UnwritableMedium> medium;
    QString file;

private slots:
    void init()
    {
        fx.emplace();
        QVERIFY(RawSql::run(fx->file,
                            { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, "
                                             "Type) VALUES ('李', '四', '朋友')"),
                              QStringLiteral("INSERT INTO Reminders (item, Done, Date) "
                                             "VALUES ('2003-11-12： 买书', 0, '2003-11-12')") }));
        // The user's data file on a medium of its own (a read-only program folder would only
        // move the default file to the user's data folder).
        QVERIFY(QDir().mkpath(fx->sandbox.path(QStringLiteral("medium"))));
        file = fx->sandbox.path(QStringLiteral("medium/Cards.cot"));
        QVERIFY(QFile::copy(fx->file, file));
        AppSettings::setDatabasePath(file);
        medium.emplace(file);
        QVERIFY(medium->isSet());
    }

    void cleanup()
    {
        medium.reset();
        fx.reset();
    }

    void commandsThatWriteAreRefusedAndUnchangedEditorsClose()
    {
        const QByteArray before = FileBytes::read(file);
        fx->prompts.expectMessage();
        frmMain *main = fx->app.logIn();
        QVERIFY(main);
        QCOMPARE(fx->prompts.texts(), QStringList { notice });

        frmContacts *list = main->contactList();
        const auto buttons = list->toolBar()->actions();
        // 添加, then 删除 on the selected contact.
        fx->prompts.expectMessage();
        buttons.at(0)->trigger();
        list->tree()->setCurrentItem(ContactTreeNodes::find(list->tree(), QStringLiteral("李 四")));
        list->TreeView1_NodeClick(nullptr);
        fx->prompts.expectMessage();
        buttons.at(2)->trigger();
        QCOMPARE(fx->prompts.texts(), QStringList({ notice, refusal, refusal }));
        QCOMPARE(main->openChildren().size(), 2);

        list->editSelected();
        QMdiSubWindow *editor = main->openChildren().constLast();
        QVERIFY(qobject_cast<frmDetails *>(editor->widget()));
        editor->close();
        QTRY_COMPARE(main->openChildren().size(), 2);
        QCOMPARE(fx->prompts.texts().size(), 3);
        QCOMPARE(FileBytes::read(file), before);
    }

    void otherWindowsRefuseEveryWrite_data()
    {
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("command");
        const QString reminders = QStringLiteral("frmReminders");
        QTest::newRow("to-do add") << reminders << QStringLiteral("添加");
        QTest::newRow("to-do edit") << reminders << QStringLiteral("编辑");
        QTest::newRow("to-do delete") << reminders << QStringLiteral("删除");
        QTest::newRow("to-do tick") << reminders << QStringLiteral("打钩");
        const QString categories = QStringLiteral("FrmType");
        QTest::newRow("category save and add") << categories << QStringLiteral("XY_XPButton1");
        QTest::newRow("category save") << categories << QStringLiteral("cmdUpdate");
        QTest::newRow("category up") << categories << QStringLiteral("Command1");
        QTest::newRow("category down") << categories << QStringLiteral("Command2");
        QTest::newRow("category delete") << categories << QStringLiteral("cmdDelete");
    }

    void otherWindowsRefuseEveryWrite()
    {
        QFETCH(QString, window);
        QFETCH(QString, command);
        const QByteArray before = FileBytes::read(file);
        fx->prompts.expectMessage();
        frmMain *main = fx->app.logIn();
        QVERIFY(main);

        // A command that went ahead would open its dialog; closing it keeps the test going.
        WhenModalShown<frmAgent> agent([](frmAgent *dialog) { dialog->reject(); });
        fx->prompts.expectMessage();
        if (window == QStringLiteral("frmReminders"))
            runOnReminders(*main, command);
        else
            runOnCategoryManager(*main, command);
        QTRY_COMPARE(fx->prompts.texts(), QStringList({ notice, refusal }));
        QVERIFY(!agent.seen());
        QCOMPARE(FileBytes::read(file), before);
    }
};

QTEST_MAIN(TestReadOnlyFile)
#include "tst_readonlyfile.moc"
