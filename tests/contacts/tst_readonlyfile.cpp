#include "ContactTreeNodes.h"
#include "FileBytes.h"
#include "GuiFixture.h"
#include "RawSql.h"
#include "app/widgets/frmMain.h"
#include "contacts/widgets/frmContacts.h"
#include "contacts/widgets/frmDetails.h"

#include <QAction>
#include <QMdiSubWindow>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// Makes a file immutable, which even the super-user cannot write (file permissions do not stop
// it), and lets it go again however the test ends.
class ImmutableFile
{
public:
    explicit ImmutableFile(const QString &path)
        : m_path(path)
    {
        m_set = setFlag(true);
    }
    ~ImmutableFile()
    {
        if (m_set)
            setFlag(false);
    }
    ImmutableFile(const ImmutableFile &) = delete;
    ImmutableFile &operator=(const ImmutableFile &) = delete;

    bool isSet() const { return m_set; }

private:
    bool setFlag(bool on) const
    {
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_RDONLY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        ::close(fd);
        return done;
    }

    QString m_path;
    bool m_set = false;
};

} // namespace

// A data file that cannot be written: the user hears so once, commands that would write are
// refused before they start, and an editor with nothing changed closes.
class TestReadOnlyFile : public QObject
{
    Q_OBJECT

private:
    std::optional<GuiFixture> fx;
    std::optional<ImmutableFile> immutable;

private slots:
    void init()
    {
        if (::geteuid() != 0)
            QSKIP("Only the super-user can make a file immutable.");
        fx.emplace();
        QVERIFY(RawSql::run(fx->file,
                            { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, "
                                             "Type) VALUES ('李', '四', '朋友')") }));
        immutable.emplace(fx->file);
        QVERIFY(immutable->isSet());
    }

    void cleanup()
    {
        immutable.reset();
        fx.reset();
    }

    void commandsThatWriteAreRefusedAndUnchangedEditorsClose()
    {
        const QByteArray before = FileBytes::read(fx->file);
        fx->prompts.expectMessage();
        frmMain *main = fx->app.logIn();
        QVERIFY(main);
        const QString notice = QStringLiteral("这个数据文件不能写入（文件或它所在的磁盘是只读的），"
                                              "现在只能查看联系人，不能添加、修改或删除。");
        QCOMPARE(fx->prompts.texts(), QStringList { notice });

        frmContacts *list = main->contactList();
        const auto buttons = list->toolBar()->actions();
        const QString refusal = QStringLiteral("这个数据文件是只读的，不能进行这项操作。");
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
        QCOMPARE(FileBytes::read(fx->file), before);
    }
};

QTEST_MAIN(TestReadOnlyFile)
#include "tst_readonlyfile.moc"
