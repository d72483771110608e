#include "ContactTreeNodes.h"
#include "FileBytes.h"
#include "FindControl.h"
#include "GuiFixture.h"
#include "RawSql.h"
#include "WhenModalShown.h"
#include "app/widgets/frmMain.h"
#include "contacts/widgets/frmContacts.h"
#include "interchange/widgets/CardDialogs.h"
#include "interchange/widgets/ExportOptionsDialog.h"
#include "interchange/widgets/ImportSummaryDialog.h"

#include <QComboBox>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace {

// Answers the summary and the export options as the test says, and records what they showed.
class ScriptedCardDialogs : public CardDialogs
{
public:
    ScriptedCardDialogs() { CardDialogs::install(this); }
    ~ScriptedCardDialogs() override
    {
        if (&CardDialogs::current() == this)
            CardDialogs::install(nullptr);
    }

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

    std::optional<GuiFixture> fx;
    std::optional<ScriptedCardDialogs> dialogs;

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = fx->sandbox.path(name);
        return FileBytes::write(path, bytes) ? path : QString();
    }

    QStringList messages() const
    {
        QStringList texts;
        for (const ShownBox &box : fx->prompts.shown()) {
            if (box.kind == ShownBox::Kind::Message)
                texts << box.text;
        }
        return texts;
    }

    int contacts() const
    {
        return RawSql::value(fx->file, QStringLiteral("SELECT COUNT(*) FROM Contacts")).toInt();
    }

private slots:
    void init()
    {
        fx.emplace();
        dialogs.emplace();
        QVERIFY(RawSql::run(fx->file,
                            { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, "
                                             "Type) VALUES ('王', '伟', '朋友')") }));
    }

    // The fixture closes the windows before the dialogs they may still call go.
    void cleanup()
    {
        fx.reset();
        dialogs.reset();
    }

    void importShowsTheSummaryAndTheNewContactsInTheList()
    {
        LOG_IN(main, fx->app);
        const int before = contacts();
        fx->prompts.chooseFile(writeFile(QStringLiteral("a.vcf"),
                                         "BEGIN:VCARD\nFN:王伟\nEND:VCARD\n"
                                         "BEGIN:VCARD\nFN:赵六\nCATEGORIES:同事们\nEND:VCARD\n"));
        dialogs->importChoice = CardImport::Choice::NewOnly;
        fx->prompts.expectMessage();
        main->findChild<QAction *>(QStringLiteral("ImportCards"))->trigger();

        QCOMPARE(
            dialogs->summaries,
            QStringList(QStringLiteral("新联系人：1个\n与已有联系人同名：1个\n无法读取：0处")));
        QCOMPARE(fx->prompts.last().text, QStringLiteral("已导入1个联系人。"));
        QCOMPARE(contacts(), before + 1);
        QTRY_VERIFY(
            main->contactList()
            && ContactTreeNodes::find(main->contactList()->tree(), QStringLiteral("赵 六")));
    }

    void refusedFileIsReportedAndChangesNothing()
    {
        LOG_IN(main, fx->app);
        const int before = contacts();
        fx->prompts.chooseFile(
            writeFile(QStringLiteral("junk.vcf"), QByteArray("\x01\x02junk\0\xff", 8)));
        fx->prompts.expectMessage();
        main->findChild<QAction *>(QStringLiteral("ImportCards"))->trigger();
        QCOMPARE(fx->prompts.last().icon, MessageIcon::Exclamation);
        QVERIFY2(fx->prompts.last().text.contains(QStringLiteral("第1行")),
                 qPrintable(fx->prompts.last().text));
        QVERIFY(dialogs->summaries.isEmpty());
        QCOMPARE(contacts(), before);
    }

    void summaryEnterImportsOnlyWhatIsNew_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("defaultButton");
        QTest::addColumn<int>("added");
        QTest::addColumn<QStringList>("messages");

        QTest::newRow("nothing new: Enter closes the summary")
            << QByteArray("姓,名\n王,伟\n王,伟\n") << "cmdCancel" << 0 << QStringList();
        QTest::newRow("a new person twice in the file comes in once")
            << QByteArray("姓,名\n王,伟\n赵,六\n赵,六\n") << "cmdNewOnly" << 1
            << QStringList { "已导入1个联系人。" };
    }

    // The real summary window, answered with Enter as a hurried user would.
    void summaryEnterImportsOnlyWhatIsNew()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, defaultButton);
        QFETCH(int, added);
        QFETCH(QStringList, messages);
        dialogs.reset();
        frmMain *main = fx->app.logIn();
        QVERIFY(main);
        const int before = contacts();
        fx->prompts.chooseFile(writeFile(QStringLiteral("a.csv"), file));
        for (qsizetype i = 0; i < messages.size(); ++i)
            fx->prompts.expectMessage();
        QString shownDefault;
        QTimer poll;
        connect(&poll, &QTimer::timeout, main, [&] {
            auto *summary = main->findChild<QDialog *>(QStringLiteral("FrmCardImport"));
            if (!summary || !summary->isVisible())
                return;
            poll.stop();
            for (const QPushButton *button : summary->findChildren<QPushButton *>()) {
                if (button->isDefault())
                    shownDefault = button->objectName();
            }
            QTest::keyClick(summary, Qt::Key_Return);
        });
        poll.start(10);
        main->findChild<QAction *>(QStringLiteral("ImportCards"))->trigger();

        QCOMPARE(shownDefault, defaultButton);
        QCOMPARE(this->messages(), messages);
        QCOMPARE(contacts(), before + added);
    }

    void cancelWhileReadingImportsNothing()
    {
        frmMain *main = fx->app.logIn();
        QVERIFY(main);
        const int before = contacts();
        QByteArray file("Name,Mobile Phone\n");
        for (int i = 0; i < 3000; ++i)
            file += "测试" + QByteArray::number(i) + ",138" + QByteArray::number(i) + "\n";
        fx->prompts.chooseFile(writeFile(QStringLiteral("big.csv"), file));
        bool clicked = false;
        QTimer::singleShot(0, main, [&] {
            auto *progress = main->findChild<QProgressDialog *>(QStringLiteral("FrmCardProgress"));
            auto *cancel = progress ? progress->findChild<QPushButton *>() : nullptr;
            if (cancel) {
                cancel->click();
                clicked = true;
            }
        });
        main->findChild<QAction *>(QStringLiteral("ImportCards"))->trigger();

        QVERIFY(clicked);
        QVERIFY(dialogs->summaries.isEmpty());
        QCOMPARE(messages(), QStringList());
        QCOMPARE(contacts(), before);
    }

    void exportWritesTheSelectedGroup()
    {
        LOG_IN(main, fx->app);
        QTreeWidget *tree = main->contactList()->tree();
        tree->setCurrentItem(ContactTreeNodes::find(tree, QStringLiteral("王 伟")));
        dialogs->exportChoice
            = ExportChoice { CardExport::Scope::Kind::Group, CardFormat::CsvUtf8 };
        const QString path = fx->sandbox.path(QStringLiteral("朋友.csv"));
        fx->prompts.chooseFile(path);
        fx->prompts.expectMessage();
        main->findChild<QAction *>(QStringLiteral("ExportCards"))->trigger();

        QCOMPARE(dialogs->offered, QStringList(QStringLiteral("朋友")));
        QCOMPARE(fx->prompts.shown().first().setup.filter, QStringLiteral("CSV文件(*.csv)"));
        QCOMPARE(fx->prompts.last().text, QStringLiteral("已导出1个联系人。"));
        const QList<QByteArray> lines = FileBytes::read(path).split('\n');
        QCOMPARE(lines.size(), 3);
        QVERIFY(lines.at(0).startsWith("\xEF\xBB\xBF姓氏,名字,"));
        QVERIFY(lines.at(1).startsWith("王,伟,,朋友,"));
    }

    void realSummaryImportsAllOrMergesWhenAsked_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("added");
        QTest::addColumn<QString>("emails");
        QTest::newRow("全部导入") << "cmdAll" << 2 << "|w@example.cn";
        QTest::newRow("合并到已有联系人") << "cmdMerge" << 1 << "w@example.cn";
    }

    // The real summary: what it tells; "全部导入" brings the namesake in as well,
    // "合并到已有联系人" fills the existing contact's empty fields from it.
    void realSummaryImportsAllOrMergesWhenAsked()
    {
        QFETCH(QString, button);
        QFETCH(int, added);
        dialogs.reset();
        LOG_IN(main, fx->app);
        const int before = contacts();
        fx->prompts.chooseFile(writeFile(QStringLiteral("a.vcf"),
                                         "BEGIN:VCARD\nFN:王伟\nEMAIL:w@example.cn\nEND:VCARD\n"
                                         "BEGIN:VCARD\nFN:赵六\nEND:VCARD\n"));
        QString told;
        const WhenModalShown<ImportSummaryDialog> summary([&](ImportSummaryDialog *dialog) {
            told = control<QLabel>(dialog, QStringLiteral("lblSummary"))->text();
            control<QPushButton>(dialog, button)->click();
        });
        fx->prompts.expectMessage();
        main->findChild<QAction *>(QStringLiteral("ImportCards"))->trigger();

        QVERIFY(summary.seen());
        QCOMPARE(told, QStringLiteral("新联系人：1个\n与已有联系人同名：1个\n无法读取：0处"));
        QCOMPARE(fx->prompts.last().text, QStringLiteral("已导入2个联系人。"));
        QCOMPARE(contacts(), before + added);
        QTEST(RawSql::value(fx->file,
                            QStringLiteral("SELECT group_concat(COALESCE(Email, ''), "
                                           "'|') FROM Contacts WHERE FirstName = '王'"))
                  .toString(),
              "emails");
    }

    // The real options: the selected group is offered by name, search rows are not, and the
    // chosen group and format reach the file.
    void realExportOptionsWriteTheChosenGroup()
    {
        dialogs.reset();
        QVERIFY(RawSql::run(fx->file,
                            { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, "
                                             "Type) VALUES ('李', '四', '同事')") }));
        LOG_IN(main, fx->app);
        QTreeWidget *tree = main->contactList()->tree();
        tree->setCurrentItem(ContactTreeNodes::find(tree, QStringLiteral("王 伟")));
        QString groupCaption;
        bool rowsOffered = true;
        const WhenModalShown<ExportOptionsDialog> options([&](ExportOptionsDialog *dialog) {
            auto *group = control<QRadioButton>(dialog, QStringLiteral("optGroup"));
            groupCaption = group->isEnabled() ? group->text() : QString();
            rowsOffered = control<QRadioButton>(dialog, QStringLiteral("optRows"))->isEnabled();
            group->click();
            auto *format = control<QComboBox>(dialog, QStringLiteral("cmbFormat"));
            format->setCurrentIndex(format->findText(QStringLiteral("vCard 3.0")));
            control<QPushButton>(dialog, QStringLiteral("cmdExport"))->click();
        });
        const QString path = fx->sandbox.path(QStringLiteral("朋友.vcf"));
        fx->prompts.chooseFile(path);
        fx->prompts.expectMessage();
        main->findChild<QAction *>(QStringLiteral("ExportCards"))->trigger();

        QVERIFY(options.seen());
        QCOMPARE(groupCaption, QStringLiteral("名单列表中选中的分组（朋友）"));
        QVERIFY(!rowsOffered);
        QCOMPARE(fx->prompts.last().text, QStringLiteral("已导出1个联系人。"));
        const QByteArray written = FileBytes::read(path);
        QVERIFY2(written.contains("VERSION:3.0\r\n") && written.contains("FN:王伟\r\n"),
                 written.constData());
        QVERIFY(!written.contains("李"));
    }
};

QTEST_MAIN(tst_CardCommands)
#include "tst_cardcommands.moc"
