#include "../contacts/ContactFixture.h"
#include "ContactTreeNodes.h"
#include "GuiFixture.h"
#include "RawSql.h"
#include "app/widgets/frmMain.h"
#include "contacts/ContactStore.h"
#include "contacts/widgets/frmContacts.h"
#include "duplicates/ContactMerge.h"
#include "duplicates/widgets/FrmDuplicates.h"
#include "duplicates/widgets/FrmMerge.h"

#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

class TestFrmDuplicates : public QObject
{
    Q_OBJECT

private:
    std::optional<GuiFixture> fx;
    QList<qint64> ids;

    int contactRows() const
    {
        return RawSql::value(fx->file, QStringLiteral("SELECT COUNT(*) FROM Contacts")).toInt();
    }

    static FrmDuplicates *openFinderOnFirstSet(frmMain *main)
    {
        main->findChild<QAction *>(QStringLiteral("FindDuplicates"))->trigger();
        QMdiSubWindow *window = main->childWindow(QStringLiteral("FrmDuplicates"));
        auto *finder = window ? qobject_cast<FrmDuplicates *>(window->widget()) : nullptr;
        auto *sets = finder ? finder->findChild<QTreeWidget *>(QStringLiteral("tvSets")) : nullptr;
        if (!sets || sets->topLevelItemCount() == 0)
            return nullptr;
        sets->setCurrentItem(sets->topLevelItem(0)->child(0));
        return finder;
    }

    static void clickMerge(QWidget *window)
    {
        window->findChild<QPushButton *>(QStringLiteral("cmdMerge"))->click();
    }

private slots:
    void init()
    {
        fx.emplace();
        Database *database = fx->database();
        QVERIFY(database);
        const QVariantMap friends { { QStringLiteral("Type"), QStringLiteral("朋友") },
                                    { QStringLiteral("Combo2"), QStringLiteral("手机") } };
        QVariantMap older = friends;
        older.insert(QStringLiteral("Data2"), QStringLiteral("138-0013-8000"));
        QVariantMap newer = friends;
        newer.insert(QStringLiteral("Data2"), QStringLiteral("+86 13800138000"));
        ids = { addContact(*database, QStringLiteral("王"), QStringLiteral("伟"), older),
                addContact(*database, QStringLiteral("王"), QStringLiteral("伟"), newer) };
        fx->closeDatabase();
    }

    void cleanup() { fx.reset(); }

    void mergeStoresTheOpenEditorAndShowsTheResultInTheListAndSearch()
    {
        LOG_IN(main, fx->app, QStringLiteral("管理员"));
        main->OpenSearch(QStringLiteral("*"));
        auto *found = main->findChild<QTreeView *>(QStringLiteral("ListView1"));
        QCOMPARE(found->model()->rowCount(), 2);
        main->OpenDetails(QStringLiteral("王 伟"), QString::number(ids.last()));
        QMdiSubWindow *editor = main->mdiArea()->activeSubWindow();
        editor->findChild<QLineEdit *>(QStringLiteral("txtCity"))
            ->setText(QStringLiteral("丙公司"));

        FrmDuplicates *finder = openFinderOnFirstSet(main);
        QVERIFY(finder);
        clickMerge(finder);
        auto *view = finder->findChild<FrmMerge *>(QStringLiteral("FrmMerge"));
        QVERIFY(view);
        QTRY_VERIFY(view->isVisible());
        QVERIFY(!main->openChildren().contains(editor));
        // The editor's typed company reached the file before the merge view read it.
        QCOMPARE(view->findChild<QRadioButton *>(QStringLiteral("optValue(4,1)"))->text(),
                 QStringLiteral("丙公司"));
        clickMerge(view);

        QTRY_COMPARE(contactRows(), 1);
        QCOMPARE(
            RawSql::value(fx->file, QStringLiteral("SELECT CompanyName FROM Contacts")).toString(),
            QStringLiteral("丙公司"));
        QTRY_COMPARE(found->model()->rowCount(), 1);
        QTRY_VERIFY(main->contactList());
        QCOMPARE(
            ContactTreeNodes::findAll(main->contactList()->tree(), QStringLiteral("王 伟")).size(),
            1);
    }

    // Undoing a merge rewrites contacts as the merge did, so it asks for the same right.
    void normalUserGetsTheRightsMessageAndNothingChanges_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("rows");
        QTest::newRow("merge") << QStringLiteral("cmdMerge") << 2;
        QTest::newRow("undo") << QStringLiteral("cmdUndo") << 1;
    }

    void normalUserGetsTheRightsMessageAndNothingChanges()
    {
        QFETCH(QString, button);
        if (button == QLatin1String("cmdUndo")) {
            Database *database = fx->database();
            QVERIFY(database);
            const QList<ContactRecord> contacts {
                ContactStore(*database).load(ids.first()).value(),
                ContactStore(*database).load(ids.last()).value()
            };
            QVERIFY(
                ContactMerge::merge(*database, contacts, ContactMerge::defaultChoices(contacts)));
            fx->closeDatabase();
        }
        frmMain *main = fx->app.logIn(QStringLiteral("普通用户"));
        QVERIFY(main);
        const auto before = RawSql::everything(fx->file);
        main->findChild<QAction *>(QStringLiteral("FindDuplicates"))->trigger();
        QMdiSubWindow *window = main->childWindow(QStringLiteral("FrmDuplicates"));
        QVERIFY(window);
        auto *sets = window->findChild<QTreeWidget *>(QStringLiteral("tvSets"));
        if (sets->topLevelItemCount() > 0)
            sets->setCurrentItem(sets->topLevelItem(0)->child(0));
        auto *command = window->findChild<QPushButton *>(button);
        QVERIFY(command->isEnabled());
        fx->prompts.expectMessage();
        command->click();
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("权限不够"));
        QVERIFY(!window->findChild<FrmMerge *>());
        QTEST(contactRows(), "rows");
        QCOMPARE(RawSql::everything(fx->file), before);
    }

    // A reason quotes the file's text; its tool tip shows it as the characters it is.
    void reasonToolTipsArePlainText()
    {
        QVERIFY(RawSql::run(fx->file,
                            { QStringLiteral("UPDATE Contacts SET Data2 = NULL, CompanyName = "
                                             "'<img src=x>甲'") }));
        frmMain *main = fx->app.logIn(QStringLiteral("管理员"));
        QVERIFY(main);
        FrmDuplicates *finder = openFinderOnFirstSet(main);
        QVERIFY(finder);
        const QString tip
            = finder->findChild<QTreeWidget *>(QStringLiteral("tvSets"))->currentItem()->toolTip(1);
        QVERIFY2(tip.contains(QStringLiteral("&lt;img src=x&gt;甲")), qPrintable(tip));
    }

    // A merge undone brings both contacts back whole; 重新查找 then finds what is there now.
    void undoBringsBothBackAndFindingAgainSeesNewNamesakes()
    {
        LOG_IN(main, fx->app, QStringLiteral("管理员"));
        FrmDuplicates *finder = openFinderOnFirstSet(main);
        QVERIFY(finder);
        auto *summary = finder->findChild<QLabel *>(QStringLiteral("lblSummary"));
        auto *undo = finder->findChild<QPushButton *>(QStringLiteral("cmdUndo"));
        QVERIFY(summary && undo);
        QCOMPARE(summary->text(), QStringLiteral("找到1组可能重复的联系人。"));
        QVERIFY(!undo->isEnabled());
        const QList<QVariantList> before
            = RawSql::rows(fx->file, QStringLiteral("SELECT * FROM Contacts ORDER BY ID"));
        QCOMPARE(before.size(), 2);

        clickMerge(finder);
        auto *view = finder->findChild<FrmMerge *>(QStringLiteral("FrmMerge"));
        QVERIFY(view);
        QTRY_VERIFY(view->isVisible());
        clickMerge(view);
        QTRY_COMPARE(contactRows(), 1);
        QTRY_COMPARE(summary->text(), QStringLiteral("没有找到重复的联系人。"));
        QVERIFY(undo->isEnabled());

        undo->click();
        QCOMPARE(contactRows(), 2);
        QCOMPARE(RawSql::value(fx->file,
                               QStringLiteral("SELECT group_concat(Data2, '|') FROM "
                                              "(SELECT Data2 FROM Contacts ORDER BY "
                                              "Data2)"))
                     .toString(),
                 QStringLiteral("+86 13800138000|138-0013-8000"));
        QCOMPARE(summary->text(), QStringLiteral("已撤销上次合并。找到1组可能重复的联系人。"));
        QVERIFY(!undo->isEnabled());
        QTRY_VERIFY(main->contactList());
        QTRY_COMPARE(
            ContactTreeNodes::findAll(main->contactList()->tree(), QStringLiteral("王 伟")).size(),
            2);

        QVERIFY(
            RawSql::run(fx->file,
                        { QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type) "
                                         "VALUES ('李', '四', '同事'), ('李', '四', '同事')") }));
        finder->findChild<QPushButton *>(QStringLiteral("cmdFind"))->click();
        QCOMPARE(summary->text(), QStringLiteral("找到2组可能重复的联系人。"));
    }
};

QTEST_MAIN(TestFrmDuplicates)
#include "tst_frmduplicates.moc"
