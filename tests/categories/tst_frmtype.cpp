#include "FindControl.h"
#include "GuiFixture.h"
#include "RawSql.h"
#include "StoredContacts.h"
#include "categories/CategoryName.h"
#include "categories/widgets/FrmType.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

// The hint the name box shows until a name is typed.
const QString designText = QStringLiteral("请在此输入新的类别名称");

namespace {

const QString everyCategory = QStringLiteral("SELECT * FROM ContactType ORDER BY ID");
const QString everyContact = QStringLiteral("SELECT * FROM Contacts ORDER BY ID");

} // namespace

class TestFrmType : public QObject
{
    Q_OBJECT

private:
    std::optional<GuiFixture> fx;

    std::unique_ptr<FrmType> openWindow(int kind, bool active = false)
    {
        auto window = std::make_unique<FrmType>(*fx->database());
        window->Int_Type = kind;
        window->show();
        if (!QTest::qWaitForWindowExposed(window.get()))
            QTest::qFail("the window was not shown", __FILE__, __LINE__);
        if (active) {
            window->activateWindow();
            if (!QTest::qWaitForWindowActive(window.get()))
                QTest::qFail("the window did not become active", __FILE__, __LINE__);
        }
        return window;
    }

    static QListWidget *list(FrmType &window)
    {
        return control<QListWidget>(&window, QStringLiteral("ListBox1"));
    }
    static QLineEdit *nameBox(FrmType &window)
    {
        return control(&window, QStringLiteral("Datafiled(0)"));
    }
    static QLineEdit *descriptionBox(FrmType &window)
    {
        return control(&window, QStringLiteral("Datafiled(1)"));
    }

    static void press(FrmType &window, const QString &button)
    {
        QTest::mouseClick(control<QPushButton>(&window, button), Qt::LeftButton);
    }

    static void clickLine(FrmType &window, int row)
    {
        QListWidget *lines = list(window);
        const QRect place = lines->visualItemRect(lines->item(row));
        QTest::mouseClick(lines->viewport(), Qt::LeftButton, {}, place.center());
    }

    static QStringList lines(FrmType &window)
    {
        QStringList texts;
        for (int i = 0; i < list(window)->count(); ++i)
            texts << list(window)->item(i)->text();
        return texts;
    }

    // The chosen line: the current one when it is selected, else -1.
    static int chosen(FrmType &window)
    {
        const QListWidgetItem *item = list(window)->currentItem();
        return item && item->isSelected() ? list(window)->row(item) : -1;
    }

    QStringList storedNames(int kind)
    {
        QStringList names;
        const QString sql
            = QStringLiteral("SELECT Name FROM ContactType WHERE Type = %1 ORDER BY Number, ID")
                  .arg(kind);
        for (const QVariantList &row : RawSql::rows(fx->file, sql))
            names << row.first().toString();
        return names;
    }

    void addContacts(const QStringList &groups)
    {
        QStringList statements;
        for (const QString &group : groups)
            statements << QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type) "
                                         "VALUES ('李', '四', %1)")
                              .arg(RawSql::quoted(group));
        QVERIFY(RawSql::run(fx->file, statements));
    }

private slots:
    void init()
    {
        fx.emplace();
        QVERIFY(RawSql::run(
            fx->file,
            { QStringLiteral("DELETE FROM ContactType"),
              QStringLiteral("INSERT INTO ContactType (Name, Type, Number, Description) VALUES "
                             "('同事', 3, 1, ''), ('朋友', 3, 2, '  老朋友  '), ('家人', 3, 3, ''),"
                             "('经理', 1, 1, ''), ('秘书', 1, 2, ''), ('工程师', 1, 3, '')") }));
    }

    void cleanup() { fx.reset(); }

    void openingListsTheKindUnderAHeaderLine_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("none") << 2 << QStringList { QStringLiteral("--无可选择的类别--") };
        QTest::newRow("three") << 3
                               << QStringList { QStringLiteral("--现有3种类别--"),
                                                QStringLiteral("同事"), QStringLiteral("朋友"),
                                                QStringLiteral("家人") };
    }

    void openingListsTheKindUnderAHeaderLine()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, expected);
        auto window = openWindow(kind);
        QCOMPARE(lines(*window), expected);
        QCOMPARE(chosen(*window), -1);
        QVERIFY(!window->isEditing());
        QCOMPARE(nameBox(*window)->text(), designText);
        QCOMPARE(nameBox(*window)->selectedText(), designText);
    }

    void commandsWithoutAChosenCategoryAsk_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("chosenAfter");
        QTest::newRow("click on header")
            << QString() << QStringLiteral("请先选择您要编辑的名称哦！") << 0;
        QTest::newRow("edit") << QStringLiteral("XY_XPButton2")
                              << QStringLiteral("请先选择您要编辑的名称哦！") << 0;
        QTest::newRow("delete") << QStringLiteral("cmdDelete")
                                << QStringLiteral("请先选择您要删除的类别名称！") << 0;
        QTest::newRow("move") << QStringLiteral("Command2")
                              << QStringLiteral("请先选择您要移动的类别名称！") << 1;
    }

    void commandsWithoutAChosenCategoryAsk()
    {
        QFETCH(QString, command);
        QFETCH(QString, message);
        QFETCH(int, chosenAfter);
        auto window = openWindow(3);
        const auto before = RawSql::rows(fx->file, everyCategory);
        fx->prompts.expectMessage();
        if (command.isEmpty())
            clickLine(*window, 0);
        else
            press(*window, command);

        QCOMPARE(fx->prompts.texts(), QStringList { message });
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("出错啦"));
        QCOMPARE(fx->prompts.last().icon, MessageIcon::Exclamation);
        QCOMPARE(chosen(*window), chosenAfter);
        // A move with nothing chosen loads the first category instead.
        QCOMPARE(window->isEditing(), chosenAfter == 1);
        QCOMPARE(nameBox(*window)->text(), chosenAfter == 1 ? QStringLiteral("同事") : designText);
        QCOMPARE(RawSql::rows(fx->file, everyCategory), before);
    }

    void highlightingALineEditsItsCategory_data()
    {
        QTest::addColumn<QString>("how");
        // A plain click is how every other case here chooses a line.
        for (const char *how : { "right click", "keyboard" })
            QTest::newRow(how) << QString::fromLatin1(how);
    }

    // However line 2 gets highlighted, "保存" then acts on line 2.
    void highlightingALineEditsItsCategory()
    {
        QFETCH(QString, how);
        auto window = openWindow(3, true);
        QListWidget *lines = list(*window);
        const QPoint second = lines->visualItemRect(lines->item(2)).center();
        clickLine(*window, 1);
        QCOMPARE(nameBox(*window)->text(), QStringLiteral("同事"));
        if (how == QLatin1String("right click")) {
            QTest::mouseClick(lines->viewport(), Qt::RightButton, {}, second);
        } else {
            lines->setFocus();
            QTest::keyClick(lines, Qt::Key_Down);
        }
        QCOMPARE(chosen(*window), 2);
        QCOMPARE(nameBox(*window)->text(), QStringLiteral("朋友"));
        QCOMPARE(descriptionBox(*window)->text(), QStringLiteral("老朋友"));
        QCOMPARE(window->currentName(), QStringLiteral("朋友"));
    }

    // The model trims and stores; the window lists the stored name and goes on as its button says.
    void savingStoresTheTypedCategory_data()
    {
        QTest::addColumn<QString>("chosenName");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<bool>("editingAfter");
        const QStringList added { QStringLiteral("同事"), QStringLiteral("朋友"),
                                  QStringLiteral("家人"), QStringLiteral("邻居") };
        QTest::newRow("new, 保存") << QString() << QStringLiteral("cmdUpdate") << added << true;
        QTest::newRow("new, save and add new")
            << QString() << QStringLiteral("XY_XPButton1") << added << false;
        QTest::newRow("renamed") << QStringLiteral("朋友") << QStringLiteral("cmdUpdate")
                                 << QStringList { QStringLiteral("同事"), QStringLiteral("邻居"),
                                                  QStringLiteral("家人") }
                                 << true;
    }

    void savingStoresTheTypedCategory()
    {
        QFETCH(QString, chosenName);
        QFETCH(QString, button);
        QFETCH(QStringList, stored);
        QFETCH(bool, editingAfter);
        addContacts({ QStringLiteral("朋友") });
        auto window = openWindow(3);
        if (!chosenName.isEmpty())
            clickLine(*window, lines(*window).indexOf(chosenName));
        nameBox(*window)->setText(QStringLiteral("  邻居 "));
        descriptionBox(*window)->setText(QStringLiteral("住隔壁"));
        press(*window, button);

        QCOMPARE(storedNames(3), stored);
        QCOMPARE(lines(*window).mid(1), stored);
        QCOMPARE(window->isEditing(), editingAfter);
        QCOMPARE(nameBox(*window)->text(), editingAfter ? QStringLiteral("邻居") : designText);
        QCOMPARE(descriptionBox(*window)->text(),
                 editingAfter ? QStringLiteral("住隔壁") : QString());
        QCOMPARE(
            StoredContacts::groups(fx->file),
            QStringList { chosenName.isEmpty() ? QStringLiteral("朋友") : QStringLiteral("邻居") });
    }

    // Which saves the model refuses is its rule; the window tells each refusal in its words,
    // stores nothing and keeps the mode and the name it was editing.
    void aRefusedSaveIsToldAndNothingIsStored_data()
    {
        QTest::addColumn<QString>("chosenName");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("boxAfter");
        // Save and add new starts a new entry after a refusal, but keeps what a failed write
        // could not store.
        QTest::addColumn<QString>("descriptionAfter");
        QTest::newRow("missing name")
            << QString() << QStringLiteral("    ") << QStringLiteral("cmdUpdate") << false
            << QStringLiteral("请输入该类别的名称！") << designText << QStringLiteral("说明");
        QTest::newRow("missing name, save and add new")
            << QString() << QStringLiteral(" ") << QStringLiteral("XY_XPButton1") << false
            << QStringLiteral("请输入该类别的名称！") << designText << QString();
        QTest::newRow("new name taken")
            << QString() << QStringLiteral(" 朋友  ") << QStringLiteral("cmdUpdate") << false
            << QStringLiteral("该类别已经存在，请重新输入！") << QStringLiteral(" 朋友  ")
            << QStringLiteral("说明");
        QTest::newRow("renamed to a taken name")
            << QStringLiteral("同事") << QStringLiteral("家人") << QStringLiteral("cmdUpdate")
            << false << QStringLiteral("该类别名称已经存在，请重新输入！") << QStringLiteral("家人")
            << QStringLiteral("说明");
        QTest::newRow("failed write, save and add new")
            << QStringLiteral("朋友") << QStringLiteral("好友") << QStringLiteral("XY_XPButton1")
            << true << QStringLiteral("数据文件是只读的") << QStringLiteral("好友")
            << QStringLiteral("说明");
    }

    void aRefusedSaveIsToldAndNothingIsStored()
    {
        QFETCH(QString, chosenName);
        QFETCH(QString, typed);
        QFETCH(QString, button);
        QFETCH(bool, readOnly);
        QFETCH(QString, message);
        QFETCH(QString, boxAfter);
        QFETCH(QString, descriptionAfter);
        addContacts({ QStringLiteral("朋友") });
        auto window = openWindow(3);
        if (!chosenName.isEmpty())
            clickLine(*window, lines(*window).indexOf(chosenName));
        if (readOnly)
            QVERIFY(fx->database()->pragma(QStringLiteral("PRAGMA query_only = ON")));
        const auto categories = RawSql::rows(fx->file, everyCategory);
        const auto contacts = RawSql::rows(fx->file, everyContact);
        nameBox(*window)->setText(typed);
        descriptionBox(*window)->setText(QStringLiteral("说明"));

        fx->prompts.expectMessage();
        press(*window, button);
        QCOMPARE(fx->prompts.shown().size(), 1);
        QVERIFY2(fx->prompts.last().text.startsWith(message), qPrintable(fx->prompts.last().text));
        QCOMPARE(window->isEditing(), !chosenName.isEmpty());
        QCOMPARE(window->currentName(), chosenName);
        QCOMPARE(nameBox(*window)->text(), boxAfter);
        QCOMPARE(nameBox(*window)->selectedText(), boxAfter);
        QCOMPARE(descriptionBox(*window)->text(), descriptionAfter);
        QCOMPARE(RawSql::rows(fx->file, everyCategory), categories);
        QCOMPARE(RawSql::rows(fx->file, everyContact), contacts);
    }

    void aMovedCategoryKeepsItsPlace_data()
    {
        // Each step highlights a line and moves it: "2 up" moves line 2 up.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<int>("chosenAfter");
        const QStringList unchanged { QStringLiteral("同事"), QStringLiteral("朋友"),
                                      QStringLiteral("家人") };
        QTest::newRow("first up") << QStringList { QStringLiteral("1 up") } << unchanged << 1;
        QTest::newRow("last down") << QStringList { QStringLiteral("3 down") } << unchanged << 3;
        QTest::newRow("up, then down")
            << QStringList { QStringLiteral("2 up"), QStringLiteral("2 down") }
            << QStringList { QStringLiteral("朋友"), QStringLiteral("家人"),
                             QStringLiteral("同事") }
            << 3;
    }

    void aMovedCategoryKeepsItsPlace()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, order);
        QFETCH(int, chosenAfter);
        auto window = openWindow(3);
        for (const QString &step : steps) {
            clickLine(*window, step.section(QLatin1Char(' '), 0, 0).toInt());
            press(*window,
                  step.endsWith(QLatin1String("up")) ? QStringLiteral("Command1")
                                                     : QStringLiteral("Command2"));
        }
        QCOMPARE(lines(*window).mid(1), order);
        QCOMPARE(storedNames(3), order);
        QCOMPARE(chosen(*window), chosenAfter);
        QVERIFY(window->isEditing());
        QCOMPARE(nameBox(*window)->text(), lines(*window).at(chosenAfter));
    }

    void deletingALineLoadsTheOneThatTookItsPlace_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<int>("chosenAfter");
        QTest::newRow("first line")
            << 1 << QStringList { QStringLiteral("朋友"), QStringLiteral("家人") } << 1;
        QTest::newRow("last line, none takes its place")
            << 3 << QStringList { QStringLiteral("同事"), QStringLiteral("朋友") } << -1;
    }

    void deletingALineLoadsTheOneThatTookItsPlace()
    {
        QFETCH(int, row);
        QFETCH(QStringList, left);
        QFETCH(int, chosenAfter);
        auto window = openWindow(3);
        clickLine(*window, row);
        press(*window, QStringLiteral("cmdDelete"));
        QCOMPARE(lines(*window), QStringList { QStringLiteral("--现有2种类别--") } + left);
        QCOMPARE(storedNames(3), left);
        QCOMPARE(chosen(*window), chosenAfter);
        QCOMPARE(window->isEditing(), chosenAfter > 0);
        QCOMPARE(nameBox(*window)->text(), chosenAfter > 0 ? left.first() : designText);
    }

    // Only "刷新" asks the contact list to read the groups again.
    void closingChangesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("refreshes");
        QTest::newRow("Esc") << QString() << 0;
        QTest::newRow("关闭") << QStringLiteral("cmdCancel") << 0;
        QTest::newRow("刷新") << QStringLiteral("Command3") << 1;
    }

    void closingChangesNothing()
    {
        QFETCH(QString, how);
        QFETCH(int, refreshes);
        auto window = openWindow(3, true);
        QSignalSpy refresh(window.get(), &FrmType::refreshContactsRequested);
        clickLine(*window, 2);
        const auto before = RawSql::rows(fx->file, everyCategory);
        nameBox(*window)->setFocus();
        nameBox(*window)->setText(QStringLiteral("好友"));
        if (how.isEmpty())
            QTest::keyClick(nameBox(*window), Qt::Key_Escape);
        else
            press(*window, how);
        QTRY_VERIFY(!window->isVisible());
        QCOMPARE(refresh.count(), refreshes);
        QCOMPARE(RawSql::rows(fx->file, everyCategory), before);
    }
};

QTEST_MAIN(TestFrmType)
#include "tst_frmtype.moc"
