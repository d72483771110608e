#include "GuiFixture.h"
#include "RawSql.h"
#include "WhenModalShown.h"
#include "data/Database.h"
#include "reminders/ReminderStore.h"
#include "reminders/widgets/frmAgent.h"
#include "reminders/widgets/frmReminders.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QToolBar>
#include <QtTest>
#include <functional>

namespace {

const QString today = QStringLiteral("2003-11-12");

QLineEdit *textBox(frmAgent &agent)
{
    return agent.findChild<QLineEdit *>(QStringLiteral("Text1"));
}

// Types into the dialog, then clicks 保存 or presses Escape.
std::function<void(frmAgent &)> typeAnd(const QString &text, bool save = true)
{
    return [text, save](frmAgent &agent) {
        textBox(agent)->setText(text);
        if (save)
            QTest::mouseClick(agent.findChild<QPushButton *>(QStringLiteral("cmdOK")),
                              Qt::LeftButton);
        else
            QTest::keyClick(textBox(agent), Qt::Key_Escape);
    };
}

// The window with its item dialog worked by the test instead of a nested event loop.
class DrivenReminders : public frmReminders
{
public:
    using frmReminders::frmReminders;

    std::function<void(frmAgent &)> onAgent;
    QStringList presets;

protected:
    void runAgent(frmAgent &agent) override
    {
        presets << textBox(agent)->text();
        agent.show();
        if (onAgent)
            onAgent(agent);
        QVERIFY2(agent.isHidden(), "the test left the item dialog open");
    }
};

} // namespace

class TestFrmReminders : public QObject
{
    Q_OBJECT

private:
    std::optional<GuiFixture> fx;
    std::unique_ptr<DrivenReminders> window;

    void openWindow()
    {
        window = std::make_unique<DrivenReminders>(*fx->database());
        window->show();
    }

    // Stores items before the window opens; each pair is text and tick.
    void seed(const QList<QPair<QString, bool>> &items)
    {
        ReminderStore store(*fx->database());
        for (const auto &[text, done] : items) {
            const auto added = store.add(text);
            QVERIFY(added);
            QVERIFY(store.setDone(added.value(), done));
        }
    }

    QListWidget *list() { return window->findChild<QListWidget *>(QStringLiteral("lstReminders")); }
    QString status()
    {
        return window->findChild<QStatusBar *>(QStringLiteral("sbReminders"))->currentMessage();
    }

    void press(const QString &caption)
    {
        const auto actions
            = window->findChild<QToolBar *>(QStringLiteral("tbReminders"))->actions();
        for (QAction *action : actions) {
            if (action->text() == caption)
                return action->trigger();
        }
        QFAIL(qPrintable(QStringLiteral("no toolbar button ") + caption));
    }

    // The user's way: the line becomes current and the space bar toggles its check box.
    void toggle(int line)
    {
        list()->setCurrentRow(line);
        QTest::keyClick(list(), Qt::Key_Space);
    }

    // Each line as its text, marked "✓" when ticked: what the list shows and what the file holds.
    QStringList shownLines()
    {
        QStringList lines;
        for (int i = 0; i < list()->count(); ++i)
            lines << list()->item(i)->text()
                    + (list()->item(i)->checkState() == Qt::Checked ? QStringLiteral("✓") : "");
        return lines;
    }

    QStringList storedLines()
    {
        QStringList lines;
        const QString sql = QStringLiteral("SELECT item, Done FROM Reminders ORDER BY ID");
        for (const QVariantList &row : RawSql::rows(fx->file, sql))
            lines << row.at(0).toString() + (row.at(1).toBool() ? QStringLiteral("✓") : "");
        return lines;
    }

private slots:
    void init()
    {
        fx.emplace(QDateTime(QDate(2003, 11, 12), QTime(8, 30)));
        QVERIFY(fx->database());
    }

    void cleanup()
    {
        window.reset();
        fx.reset();
    }

    // The other cases work a driven dialog; here the real one runs modally: Enter with nothing
    // typed is refused and leaves it open, Enter with a text saves.
    void theRealDialogIsModalAndRefusesBlankText()
    {
        auto realWindow = std::make_unique<frmReminders>(*fx->database());
        realWindow->show();
        fx->prompts.expectMessage();
        QString caption;
        bool stayedOpen = false;
        const WhenModalShown<frmAgent> agentOpens([&](frmAgent *agent) {
            caption = agent->windowTitle();
            textBox(*agent)->setText(QStringLiteral("   "));
            QTest::keyClick(textBox(*agent), Qt::Key_Return);
            stayedOpen = agent->isVisible() && agent->focusWidget() == textBox(*agent);
            textBox(*agent)->setText(QStringLiteral("看牙医"));
            QTest::keyClick(textBox(*agent), Qt::Key_Return);
        });
        realWindow->AddReminder();

        QVERIFY(agentOpens.seen());
        QCOMPARE(caption, QStringLiteral("添加新事务"));
        QVERIFY(stayedOpen);
        QCOMPARE(fx->prompts.texts(), QStringList { QStringLiteral("你没有输入任何描述信息哦") });
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("出错啦"));
        QCOMPARE(storedLines(), QStringList { QStringLiteral("看牙医") });
        QCOMPARE(realWindow->findChild<QListWidget *>(QStringLiteral("lstReminders"))->count(), 1);
    }

    // Each command on the second of two lines with the same text, the ticked one. The add
    // dialog starts with the date, the edit dialog with the line's text; then a tick on the
    // second line is stored as the list shows it.
    void eachCommandChangesOnlyTheChosenLine_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QStringList>("expected");
        const QString same = QStringLiteral("同一件事");
        const QString preset = today + QStringLiteral("： ");
        const QStringList before { same, same + QStringLiteral("✓"), QStringLiteral("别的") };
        QTest::newRow("add cancelled") << "添加" << preset + "开会" << false << before;
        QTest::newRow("add untouched")
            << "添加" << preset << true << before + QStringList { today + "：" };
        QTest::newRow("add typed")
            << "添加" << preset + "开会 " << true << before + QStringList { preset + "开会" };
        QTest::newRow("edit") << "编辑"
                              << "改了" << true << QStringList { same, "改了✓", "别的" };
        QTest::newRow("edit cancelled") << "编辑"
                                        << "改了" << false << before;
        QTest::newRow("tick") << "tick" << QString() << true << QStringList { same, same, "别的" };
        QTest::newRow("delete") << "删除" << QString() << true << QStringList { same, "别的" };
        QTest::newRow("delete declined") << "删除" << QString() << false << before;
    }

    void eachCommandChangesOnlyTheChosenLine()
    {
        QFETCH(QString, command);
        QFETCH(QString, typed);
        QFETCH(bool, confirm);
        QFETCH(QStringList, expected);
        const QString same = QStringLiteral("同一件事");
        seed({ { same, false }, { same, true }, { QStringLiteral("别的"), false } });
        openWindow();
        list()->setCurrentRow(1);
        window->onAgent = typeAnd(typed, confirm);
        if (command == QLatin1String("tick")) {
            toggle(1);
        } else if (command == QStringLiteral("删除")) {
            fx->prompts.answer(confirm ? Answer::Yes : Answer::No);
            press(command);
            QCOMPARE(fx->prompts.last().kind, ShownBox::Kind::YesNo);
            QCOMPARE(fx->prompts.last().caption, QStringLiteral("删除事务"));
            QCOMPARE(fx->prompts.last().text, QStringLiteral("您确实要删除事务：[同一件事] 吗？"));
        } else {
            press(command);
            QCOMPARE(window->presets,
                     QStringList { command == QStringLiteral("添加") ? today + "： " : same });
        }
        QCOMPARE(storedLines(), expected);
        QCOMPARE(shownLines(), expected);
        QCOMPARE(status(),
                 QString::number(expected.size()) + QStringLiteral(" 个事务,完成后请打钩."));

        toggle(1);
        const QString second = expected.at(1);
        QCOMPARE(storedLines().at(1),
                 second.endsWith(u'✓') ? second.chopped(1) : second + QStringLiteral("✓"));
    }

    void aTickWhileLoadingStoresNothing()
    {
        seed({ { QStringLiteral("一"), false } });
        openWindow();
        int ticked = 0;
        // Every line is ticked the moment it appears, before the list is complete.
        connect(list()->model(), &QAbstractItemModel::rowsInserted, this,
                [&](const QModelIndex &, int first) {
                    list()->item(first)->setCheckState(Qt::Checked);
                    ++ticked;
                });
        window->onAgent = typeAnd(QStringLiteral("二"));
        press(QStringLiteral("添加"));
        QCOMPARE(ticked, 2);
        QCOMPARE(storedLines(), (QStringList { QStringLiteral("一"), QStringLiteral("二") }));
    }

    // Every command reports a failed write alike; a tick fails after its box has changed.
    void failedWritesAreReportedAndTheListShowsWhatIsStored_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("reason");
        QTest::newRow("tick") << QStringLiteral("tick") << QStringLiteral("数据文件是只读的");
        QTest::newRow("edit a deleted item")
            << QStringLiteral("edit gone") << QStringLiteral("已不在数据文件中");
    }

    void failedWritesAreReportedAndTheListShowsWhatIsStored()
    {
        QFETCH(QString, change);
        QFETCH(QString, reason);
        seed({ { QStringLiteral("一"), false }, { QStringLiteral("二"), false } });
        openWindow();
        QStringList expected { QStringLiteral("一"), QStringLiteral("二") };
        if (change == QLatin1String("edit gone")) {
            // Another program on the same file deleted the item.
            QVERIFY(RawSql::run(fx->file,
                                { QStringLiteral("DELETE FROM Reminders WHERE item = '二'") }));
            expected.removeLast();
        } else {
            // A write that fails under the window, which does not know it in advance.
            QVERIFY(fx->database()->pragma(QStringLiteral("PRAGMA query_only = ON")));
        }
        fx->prompts.expectMessage();
        list()->setCurrentRow(1);
        window->onAgent = typeAnd(QStringLiteral("改了"));
        if (change == QLatin1String("tick"))
            toggle(1);
        else
            press(QStringLiteral("编辑"));

        QTRY_COMPARE(fx->prompts.shown().size(), 1);
        QCOMPARE(fx->prompts.last().icon, MessageIcon::Critical);
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("出错啦！"));
        const QString shown = fx->prompts.last().text;
        QVERIFY2(shown.startsWith(QStringLiteral("出错了哦:.")) && shown.contains(reason),
                 qPrintable(shown));
        QCOMPARE(storedLines(), expected);
        QTRY_COMPARE(shownLines(), expected);
        QCOMPARE(status(),
                 QString::number(expected.size()) + QStringLiteral(" 个事务,完成后请打钩."));
    }
};

QTEST_MAIN(TestFrmReminders)
#include "tst_frmreminders.moc"
