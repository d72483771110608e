#include "ContactTreeNodes.h"
#include "FindControl.h"
#include "GuiFixture.h"
#include "RawSql.h"
#include "StoredContacts.h"
#include "app/widgets/frmMain.h"
#include "contacts/widgets/FrmSearch.h"
#include "contacts/widgets/frmContacts.h"
#include "contacts/widgets/frmDetails.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QToolBar>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

// The contact list's add, edit and template commands open editors the way a user meets them.
class TestOpenDetails : public QObject
{
    Q_OBJECT

private:
    std::optional<GuiFixture> fx;
    frmMain *main = nullptr;

    frmContacts *list() const { return main->contactList(); }
    QAction *button(int position) const { return list()->toolBar()->actions().at(position - 1); }

    QList<frmDetails *> editors() const
    {
        QList<frmDetails *> open;
        for (QMdiSubWindow *window : main->openChildren()) {
            if (auto *editor = qobject_cast<frmDetails *>(window->widget()))
                open << editor;
        }
        return open;
    }

    QTreeWidgetItem *node(const QString &text) const
    {
        return ContactTreeNodes::find(list()->tree(), text);
    }

    void openSelected(const QString &text)
    {
        list()->tree()->setCurrentItem(node(text));
        list()->editSelected();
    }

private slots:
    void init()
    {
        fx.emplace();
        QVERIFY(
            RawSql::run(fx->file,
                        { QStringLiteral(
                            "INSERT INTO Contacts (FirstName, LastName, Type) VALUES "
                            "('李', '四', '朋友'), ('王', '五', '朋友'), ('王', '五', '同事')") }));
        main = fx->app.logIn();
        QVERIFY(main);
    }

    void cleanup()
    {
        main = nullptr;
        fx.reset();
    }

    void doubleClickOnAContactOpensIt()
    {
        QTreeWidget *tree = list()->tree();
        QTreeWidgetItem *li = node(QStringLiteral("李 四"));
        QVERIFY(li);
        tree->scrollToItem(li);
        QTRY_VERIFY(!tree->visualItemRect(li).isEmpty());
        const QPoint centre = tree->visualItemRect(li).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, {}, centre);
        QTRY_COMPARE(editors().size(), 1);
        QCOMPARE(editors().first()->windowTitle(), QStringLiteral("联系人 - 李 四"));
        QCOMPARE(control(editors().first(), QStringLiteral("txtFirstName"))->text(),
                 QStringLiteral("李"));
    }

    // Enter in the list's search box opens the search window on those words; its 查看 opens
    // the chosen contact.
    void searchBoxOpensTheSearchWindow()
    {
        QLineEdit *box = control(list(), QStringLiteral("txtSearch"));
        QVERIFY(box);
        box->setText(QStringLiteral("王"));
        QTest::keyClick(box, Qt::Key_Return);
        QMdiSubWindow *window = main->childWindow(QStringLiteral("FrmSearch"));
        QVERIFY(window);
        QCOMPARE(main->mdiArea()->activeSubWindow(), window);
        QCOMPARE(window->widget()->windowTitle(), QStringLiteral("搜索结果（共找到：2条记录）"));
        auto *found = control<QTreeView>(window->widget(), QStringLiteral("ListView1"));
        QVERIFY(found);
        QCOMPARE(found->model()->index(0, 0).data().toString(), QStringLiteral("王 五"));
        QCOMPARE(found->model()->index(1, 0).data().toString(), QStringLiteral("王 五"));

        found->setCurrentIndex(found->model()->index(1, 0));
        control<QAction>(window->widget(), QStringLiteral("btnView"))->trigger();
        QCOMPARE(editors().size(), 1);
        QCOMPARE(editors().first()->windowTitle(), QStringLiteral("联系人 - 王 五"));
    }

    // Reusing the placeholder row is the rows' rule; a second add brings its editor forward.
    void addingTwiceReusesThePlaceholdersEditor()
    {
        button(1)->trigger();
        button(1)->trigger();
        QCOMPARE(editors().size(), 1);
        QCOMPARE(editors().first()->windowTitle(), QStringLiteral("联系人 - 姓 名字"));
    }

    void openingAnOpenContactBringsItsEditorForward()
    {
        openSelected(QStringLiteral("李 四"));
        QCOMPARE(editors().size(), 1);
        openSelected(QStringLiteral("李 四"));
        QCOMPARE(editors().size(), 1);
    }

    // Editors are found by their row: namesakes get one each, from the tree and the search list
    // (whose own test shows its 查看 asks for them).
    void namesakesEachGetTheirOwnEditor()
    {
        const auto twins = ContactTreeNodes::findAll(list()->tree(), QStringLiteral("王 五"));
        QCOMPARE(twins.size(), 2);
        for (QTreeWidgetItem *twin : twins) {
            list()->tree()->setCurrentItem(twin);
            list()->editSelected();
        }
        QCOMPARE(editors().size(), 2);
        main->OpenSearch(QStringLiteral("王"));
        auto *search
            = qobject_cast<FrmSearch *>(main->childWindow(QStringLiteral("FrmSearch"))->widget());
        for (const QVariantList &row : RawSql::rows(
                 fx->file, QStringLiteral("SELECT ID FROM Contacts WHERE FirstName = '王'")))
            emit search->openDetailsRequested(QStringLiteral("王 五"), row.first().toString());
        QCOMPARE(editors().size(), 2);

        for (frmDetails *editor : editors()) {
            QCOMPARE(control<QComboBox>(editor, QStringLiteral("cmbCat(1)"))->currentText(),
                     StoredContacts::field(fx->file, editor->contactId(), QStringLiteral("Type"))
                         .toString());
            control(editor, QStringLiteral("txtCity"))
                ->setText(QString::number(editor->contactId()));
            editor->closeWindow();
        }
        QTRY_COMPARE(editors().size(), 0);
        QCOMPARE(StoredContacts::count(fx->file, QStringLiteral("CompanyName = CAST(ID AS TEXT)")),
                 2);
    }

    // Making the template once is the rows' rule; how its editor looks is the editor's.
    void templateCommandOpensTheTemplate()
    {
        button(4)->trigger();
        QCOMPARE(editors().size(), 1);
        QCOMPARE(editors().first()->windowTitle(), QStringLiteral("联系人 - 模板 模板"));
        editors().first()->closeWindow();
        QTRY_COMPARE(editors().size(), 0);
        QVERIFY(!node(QStringLiteral("模板 模板")));
    }

    void keysWithoutAUsableRowAreReported_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("message");
        QTest::newRow("no number")
            << QStringLiteral("C") << QStringLiteral("该联系人的联系方式有问题哦");
        QTest::newRow("row gone")
            << QStringLiteral(" 999C")
            << QStringLiteral("没有找到该联系人的详细信息记录哦，请确认数据库是否被损坏！");
    }

    void keysWithoutAUsableRowAreReported()
    {
        QFETCH(QString, key);
        QFETCH(QString, message);
        fx->prompts.expectMessage();
        main->OpenDetails(QStringLiteral("无 人"), key);
        QCOMPARE(fx->prompts.last().text, message);
        QCOMPARE(editors().size(), 0);
    }

    void addingAContactEndToEnd()
    {
        main->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(main));
        button(1)->trigger();
        frmDetails *editor = editors().first();
        control(editor, QStringLiteral("txtFirstName"))->setText(QStringLiteral(" 赵 "));
        control(editor, QStringLiteral("txtLastName"))->setText(QStringLiteral("六"));
        auto *group = control<QComboBox>(editor, QStringLiteral("cmbCat(1)"));
        group->setFocus();
        QTRY_VERIFY(group->hasFocus());
        group->setCurrentText(QStringLiteral("朋友"));
        QLineEdit *number = control(editor, QStringLiteral("txtData1"));
        number->setFocus();
        QTRY_VERIFY(!group->hasFocus());
        number->setText(QStringLiteral("010-1234"));
        editor->closeWindow();
        QTRY_COMPARE(editors().size(), 0);

        QCOMPARE(RawSql::rows(fx->file,
                              QStringLiteral("SELECT FirstName, LastName, Data1, Type FROM "
                                             "Contacts ORDER BY ID DESC LIMIT 1"))
                     .first(),
                 QVariantList({ QStringLiteral("赵"), QStringLiteral("六"),
                                QStringLiteral("010-1234"), QStringLiteral("朋友") }));
        QTreeWidgetItem *added = node(QStringLiteral("赵 六"));
        QVERIFY(added);
        QCOMPARE(added->parent()->text(0), QStringLiteral("朋友"));
        QCOMPARE(list()->tree()->currentItem(), added);
    }
};

QTEST_MAIN(TestOpenDetails)
#include "tst_opendetails.moc"
