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

// Types into the dialog and clicks 保存.
std::function<void(frmAgent &)> typeAndSave(const QString &text)
{
    return [text](frmAgent &agent) {
        textBox(agent)->setText(text);
        QTest::mouseClick(agent.findChild<QPushButton *>(QStringLiteral("cmdOK")), Qt::LeftButton);
    };
}

std::function<void(frmAgent &)> pressEscape()
{
    return [](frmAgent &agent) { QTest::keyClick(textBox(agent), Qt::Key_Escape); };
}

// The window with its item dialog worked by the test instead of a nested event loop.
class DrivenReminders : public frmReminders
{
public:
    using frmReminders::frmReminders;

    std::function<void(frmAgent &)> onAgent;
    QStringList presets;
    QStringList captions;

protected:
    void runAgent(frmAgent &agent) override
    {
        presets << textBox(agent)->text();
        captions << agent.windowTitle();
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

    void add(const QString &text)
    {
        window->onAgent = typeAndSave(text);
        press(QStringLiteral("添加"));
    }

    void edit(int line, const std::function<void(frmAgent &)> &work)
    {
        list()->setCurrentRow(line);
        window->onAgent = work;
        press(QStringLiteral("编辑"));
    }

    void remove(int line, Answer answer = Answer::Yes)
    {
        list()->setCurrentRow(line);
        fx->prompts.answer(answer);
        press(QStringLiteral("删除"));
    }

    // The user's way: the line becomes current and the space bar toggles its check box.
    void toggle(int line)
    {
        list()->setCurrentRow(line);
        QTest::keyClick(list(), Qt::Key_Space);
    }

    QStringList lineTexts()
    {
        QStringList texts;
        for (int i = 0; i < list()->count(); ++i)
            texts << list()->item(i)->text();
        return texts;
    }

    QList<bool> lineTicks()
    {
        QList<bool> ticks;
        for (int i = 0; i < list()->count(); ++i)
            ticks << (list()->item(i)->checkState() == Qt::Checked);
        return ticks;
    }

    QStringList storedTexts()
    {
        QStringList texts;
        for (const QVariantList &row :
             RawSql::rows(fx->file, QStringLiteral("SELECT item FROM Reminders ORDER BY ID")))
            texts << row.first().toString();
        return texts;
    }

    QList<bool> storedTicks()
    {
        QList<bool> ticks;
        for (const QVariantList &row :
             RawSql::rows(fx->file, QStringLiteral("SELECT Done FROM Reminders ORDER BY ID")))
            ticks << row.first().toBool();
        return ticks;
    }

    static QString countText(int count)
    {
        return QString::number(count) + QStringLiteral(" 个事务,完成后请打钩.");
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

    void theAddDialogStartsWithTheDate_data()
    {
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        const QString preset = today + QStringLiteral("： ");
        QTest::newRow("cancel") << false << preset + QStringLiteral("开会") << QString();
        QTest::newRow("untouched") << true << preset << today + QStringLiteral("：");
        QTest::newRow("typed after the date")
            << true << preset + QStringLiteral("开会 ") << preset + QStringLiteral("开会");
        QTest::newRow("blanks around")
            << true << QStringLiteral("  写报告\t ") << QStringLiteral("写报告");
    }

    void theAddDialogStartsWithTheDate()
    {
        QFETCH(bool, save);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        seed({ { QStringLiteral("旧的"), true } });
        openWindow();
        window->onAgent = [&](frmAgent &agent) {
            if (save)
                return typeAndSave(typed)(agent);
            textBox(agent)->setText(typed);
            pressEscape()(agent);
        };
        press(QStringLiteral("添加"));

        QCOMPARE(window->presets, QStringList { today + QStringLiteral("： ") });
        QCOMPARE(window->captions, QStringList { QStringLiteral("添加新事务") });
        QCOMPARE(window->NowStr(), stored);
        QStringList expected { QStringLiteral("旧的") };
        if (!stored.isEmpty())
            expected << stored;
        QCOMPARE(storedTexts(), expected);
        QCOMPARE(lineTexts(), expected);
        QCOMPARE(status(), countText(int(expected.size())));
    }

    void blankTextKeepsTheDialogOpen()
    {
        openWindow();
        fx->prompts.expectMessage();
        bool stayedOpen = false;
        window->onAgent = [&](frmAgent &agent) {
            typeAndSave(QStringLiteral("   "))(agent);
            stayedOpen = agent.isVisible() && agent.focusWidget() == textBox(agent);
            typeAndSave(QStringLiteral("第二次"))(agent);
        };
        press(QStringLiteral("添加"));

        QVERIFY(stayedOpen);
        QCOMPARE(fx->prompts.shown().size(), 1);
        QCOMPARE(fx->prompts.last().icon, MessageIcon::Exclamation);
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("出错啦"));
        QCOMPARE(fx->prompts.last().text, QStringLiteral("你没有输入任何描述信息哦"));
        QCOMPARE(storedTexts(), QStringList { QStringLiteral("第二次") });
    }

    // Escape is tried on the driven dialog; here the real one runs modally and Enter saves.
    void theRealDialogIsModal()
    {
        auto realWindow = std::make_unique<frmReminders>(*fx->database());
        realWindow->show();
        const WhenModalShown<frmAgent> agentOpens([](frmAgent *agent) {
            textBox(*agent)->setText(QStringLiteral("看牙医"));
            QTest::keyClick(textBox(*agent), Qt::Key_Return);
        });
        realWindow->AddReminder();

        QVERIFY(agentOpens.seen());
        QCOMPARE(storedTexts(), QStringList { QStringLiteral("看牙医") });
        QCOMPARE(realWindow->findChild<QListWidget *>(QStringLiteral("lstReminders"))->count(), 1);
    }

    void sameTextChangesOnlyTheChosenLine_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("tick") << QStringLiteral("tick");
        QTest::newRow("edit") << QStringLiteral("edit");
        QTest::newRow("delete") << QStringLiteral("delete");
        QTest::newRow("delete declined") << QStringLiteral("keep");
    }

    void sameTextChangesOnlyTheChosenLine()
    {
        QFETCH(QString, change);
        const QString same = QStringLiteral("同一件事");
        seed({ { same, false }, { same, false }, { QStringLiteral("别的"), false } });
        openWindow();
        if (change == QLatin1String("tick"))
            toggle(1);
        else if (change == QLatin1String("edit"))
            edit(1, typeAndSave(QStringLiteral("改了")));
        else
            remove(1, change == QLatin1String("keep") ? Answer::No : Answer::Yes);

        QStringList texts { same, same, QStringLiteral("别的") };
        QList<bool> ticks { false, false, false };
        if (change == QLatin1String("tick")) {
            ticks[1] = true;
        } else if (change == QLatin1String("edit")) {
            texts[1] = QStringLiteral("改了");
        } else if (change == QLatin1String("delete")) {
            texts.removeAt(1);
            ticks.removeAt(1);
        }
        QCOMPARE(storedTexts(), texts);
        QCOMPARE(storedTicks(), ticks);
        QCOMPARE(lineTexts(), texts);
        QCOMPARE(lineTicks(), ticks);
        QCOMPARE(status(), countText(int(texts.size())));
        if (change == QLatin1String("delete") || change == QLatin1String("keep")) {
            QCOMPARE(fx->prompts.last().kind, ShownBox::Kind::YesNo);
            QCOMPARE(fx->prompts.last().caption, QStringLiteral("删除事务"));
            QCOMPARE(fx->prompts.last().text, QStringLiteral("您确实要删除事务：[同一件事] 吗？"));
        }
    }

    void editKeepsTheTickAndTheNextTickIsStored_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("save");
        QTest::addColumn<QString>("expected");
        QTest::newRow("new text") << QStringLiteral("新的") << true << QStringLiteral("新的");
        QTest::newRow("cancelled") << QStringLiteral("新的") << false << QStringLiteral("做完了");
    }

    void editKeepsTheTickAndTheNextTickIsStored()
    {
        QFETCH(QString, typed);
        QFETCH(bool, save);
        QFETCH(QString, expected);
        seed({ { QStringLiteral("没做"), false }, { QStringLiteral("做完了"), true } });
        openWindow();
        edit(1, [&](frmAgent &agent) {
            if (save)
                return typeAndSave(typed)(agent);
            textBox(agent)->setText(typed);
            pressEscape()(agent);
        });
        QCOMPARE(window->presets, QStringList { QStringLiteral("做完了") });
        QCOMPARE(window->captions, QStringList { QStringLiteral("添加新事务") });
        QCOMPARE(lineTexts(), (QStringList { QStringLiteral("没做"), expected }));
        QCOMPARE(lineTicks(), (QList<bool> { false, true }));
        QCOMPARE(storedTexts(), (QStringList { QStringLiteral("没做"), expected }));
        QCOMPARE(storedTicks(), (QList<bool> { false, true }));

        toggle(1);
        QCOMPARE(storedTicks(), (QList<bool> { false, false }));
        toggle(0);
        QCOMPARE(storedTicks(), (QList<bool> { true, false }));
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
        add(QStringLiteral("二"));
        QCOMPARE(ticked, 2);
        QCOMPARE(storedTicks(), (QList<bool> { false, false }));
    }

    void failedWritesAreReportedAndTheListShowsWhatIsStored_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("reason");
        const QString readOnly = QStringLiteral("数据文件是只读的");
        QTest::newRow("add") << QStringLiteral("add") << readOnly;
        QTest::newRow("tick") << QStringLiteral("tick") << readOnly;
        QTest::newRow("edit") << QStringLiteral("edit") << readOnly;
        QTest::newRow("delete") << QStringLiteral("delete") << readOnly;
        QTest::newRow("edit a deleted item")
            << QStringLiteral("edit gone") << QStringLiteral("已不在数据文件中");
    }

    void failedWritesAreReportedAndTheListShowsWhatIsStored()
    {
        QFETCH(QString, change);
        QFETCH(QString, reason);
        seed({ { QStringLiteral("一"), false }, { QStringLiteral("二"), false } });
        openWindow();
        QStringList texts { QStringLiteral("一"), QStringLiteral("二") };
        if (change.endsWith(QLatin1String("gone"))) {
            // Another program on the same file deleted the item.
            QVERIFY(RawSql::run(fx->file,
                                { QStringLiteral("DELETE FROM Reminders WHERE item = '二'") }));
            texts.removeLast();
        } else {
            QVERIFY(fx->database()->pragma(QStringLiteral("PRAGMA query_only = ON")));
        }
        if (change == QLatin1String("delete")) {
            list()->setCurrentRow(1);
            fx->prompts.answer(Answer::Yes);
            fx->prompts.expectMessage();
            press(QStringLiteral("删除"));
        } else {
            fx->prompts.expectMessage();
            if (change == QLatin1String("add"))
                add(QStringLiteral("三"));
            else if (change.startsWith(QLatin1String("tick")))
                toggle(1);
            else
                edit(1, typeAndSave(QStringLiteral("改了")));
        }

        QTRY_COMPARE(fx->prompts.shown().size(), change == QLatin1String("delete") ? 2 : 1);
        QCOMPARE(fx->prompts.last().icon, MessageIcon::Critical);
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("出错啦！"));
        const QString shown = fx->prompts.last().text;
        QVERIFY2(shown.startsWith(QStringLiteral("出错了哦:.")) && shown.contains(reason),
                 qPrintable(shown));
        QCOMPARE(storedTexts(), texts);
        QTRY_COMPARE(lineTexts(), texts);
        QCOMPARE(lineTicks(), QList<bool>(texts.size(), false));
        QCOMPARE(status(), countText(int(texts.size())));
    }
};

QTEST_MAIN(TestFrmReminders)
#include "tst_frmreminders.moc"
