#include "AppDriver.h"
#include "ContactTreeNodes.h"
#include "RawSql.h"
#include "ScriptedPrompts.h"
#include "TestSandbox.h"
#include "app/widgets/frmMain.h"
#include "contacts/widgets/frmContacts.h"
#include "interchange/widgets/CardDialogs.h"

#include <QFile>
#include <QtTest>

namespace {

// Answers the summary and the export options as the test says, and records what they showed.
class ScriptedCardDialogs : public CardDialogs
{
public:
    ScriptedCardDialogs() { CardDialogs::install(this); }
    ~ScriptedCardDialogs() override { CardDialogs::install(nullptr); }

    std::optional<CardImport::Choice> confirmImport(QWidget *,
                                                    const CardImport::Plan &plan) override
    {
        summaries << plan.summary();
        return importChoice;
    }
    std::optional<ExportChoice> chooseExport(QWidget *, const QString &group,
                                             bool rowsShown) override
    {
        offered << group + (rowsShown ? QStringLiteral("|rows") : QString());
        return exportChoice;
    }

    std::optional<CardImport::Choice> importChoice;
    std::optional<ExportChoice> exportChoice;
    QStringList summaries;
    QStringList offered;
};

} // namespace

class tst_CardCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestSandbox> sandbox;
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<ScriptedCardDialogs> dialogs;
    std::unique_ptr<AppDriver> app;
    QString dataFile;

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = sandbox->path(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return {};
        return path;
    }

    int contacts() const
    {
        return RawSql::value(dataFile, QStringLiteral("SELECT COUNT(*) FROM Contacts")).toInt();
    }

private slots:
    void init()
    {
        sandbox = std::make_unique<TestSandbox>();
        prompts = std::make_unique<ScriptedPrompts>();
        dialogs = std::make_unique<ScriptedCardDialogs>();
        app = std::make_unique<AppDriver>();
        dataFile = sandbox->writeDefaultDataFile();
        QVERIFY(RawSql::run(dataFile,
                            { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, "
                                             "Type) VALUES ('王', '伟', '朋友')") }));
    }

    void cleanup()
    {
        app.reset();
        QCOMPARE(prompts->pending(), 0);
        dialogs.reset();
        prompts.reset();
        sandbox.reset();
    }

    void importShowsTheSummaryAndTheNewContactsInTheList()
    {
        frmMain *main = app->logIn();
        QVERIFY(main);
        const int before = contacts();
        prompts->chooseFile(writeFile(QStringLiteral("a.vcf"),
                                      "BEGIN:VCARD\nFN:王伟\nEND:VCARD\n"
                                      "BEGIN:VCARD\nFN:赵六\nCATEGORIES:同事们\nEND:VCARD\n"));
        dialogs->importChoice = CardImport::Choice::NewOnly;
        prompts->expectMessage();
        main->findChild<QAction *>(QStringLiteral("ImportCards"))->trigger();

        QCOMPARE(
            dialogs->summaries,
            QStringList(QStringLiteral("新联系人：1个\n与已有联系人同名：1个\n无法读取：0处")));
        QCOMPARE(prompts->last().text, QStringLiteral("已导入1个联系人。"));
        QCOMPARE(contacts(), before + 1);
        QTRY_VERIFY(
            main->contactList()
            && ContactTreeNodes::find(main->contactList()->tree(), QStringLiteral("赵 六")));
    }

    void refusedFileIsReportedAndChangesNothing()
    {
        frmMain *main = app->logIn();
        QVERIFY(main);
        const int before = contacts();
        prompts->chooseFile(
            writeFile(QStringLiteral("junk.vcf"), QByteArray("\x01\x02junk\0\xff", 8)));
        prompts->expectMessage();
        main->findChild<QAction *>(QStringLiteral("ImportCards"))->trigger();
        QCOMPARE(prompts->last().icon, MessageIcon::Exclamation);
        QVERIFY2(prompts->last().text.contains(QStringLiteral("第1行")),
                 qPrintable(prompts->last().text));
        QVERIFY(dialogs->summaries.isEmpty());
        QCOMPARE(contacts(), before);
    }

    void exportWritesTheSelectedGroup()
    {
        frmMain *main = app->logIn();
        QVERIFY(main);
        QTreeWidget *tree = main->contactList()->tree();
        tree->setCurrentItem(ContactTreeNodes::find(tree, QStringLiteral("王 伟")));
        dialogs->exportChoice
            = ExportChoice { CardExport::Scope::Kind::Group, CardFormat::CsvUtf8 };
        const QString path = sandbox->path(QStringLiteral("朋友.csv"));
        prompts->chooseFile(path);
        prompts->expectMessage();
        main->findChild<QAction *>(QStringLiteral("ExportCards"))->trigger();

        QCOMPARE(dialogs->offered, QStringList(QStringLiteral("朋友")));
        QCOMPARE(prompts->shown().first().setup.filter, QStringLiteral("CSV文件(*.csv)"));
        QCOMPARE(prompts->last().text, QStringLiteral("已导出1个联系人。"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.at(0).startsWith("\xEF\xBB\xBF姓氏,名字,"));
        QVERIFY(lines.at(1).startsWith("王,伟,,朋友,"));
    }
};

QTEST_MAIN(tst_CardCommands)
#include "tst_cardcommands.moc"
