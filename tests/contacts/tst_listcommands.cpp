#include "ContactTreeNodes.h"
#include "GuiFixture.h"
#include "RawSql.h"
#include "StoredContacts.h"
#include "contacts/widgets/ContactTreeWidget.h"
#include "contacts/widgets/frmContacts.h"
#include "shared/AppSettings.h"
#include "shared/AppState.h"

#include <QAction>
#include <QMimeData>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>

class TestListCommands : public QObject
{
    Q_OBJECT

private:
    std::optional<GuiFixture> fx;

    qint64 addContact(const QString &first, const QString &last,
                      const QString &group = QStringLiteral("朋友"))
    {
        return fx->database()
            ->insert(
                QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type) VALUES (?, ?, ?)"),
                { first, last, group })
            .value();
    }

    int rows(const QString &where = QStringLiteral("1 = 1"))
    {
        return StoredContacts::count(fx->file, where);
    }

    static QTreeWidgetItem *node(const frmContacts &list, const QString &text)
    {
        return ContactTreeNodes::find(list.tree(), text);
    }

    static QStringList children(const frmContacts &list, const QString &group)
    {
        QStringList names;
        QTreeWidgetItem *groupNode = node(list, group);
        for (int i = 0; groupNode && i < groupNode->childCount(); ++i)
            names << groupNode->child(i)->text(0);
        return names;
    }

    static void drop(frmContacts &list, const QString &key, const QPoint &at)
    {
        static_cast<ContactTreeWidget *>(list.tree())->dropContact(key, at);
    }

private slots:
    void init()
    {
        fx.emplace();
        AppState::instance().userAccess = 0;
    }

    void cleanup() { fx.reset(); }

    void normalUserGetsOnlyTheRightsMessage()
    {
        addContact(QStringLiteral("王"), QStringLiteral("五"));
        frmContacts list(*fx->database());
        list.tree()->setCurrentItem(node(list, QStringLiteral("王 五")));
        AppState::instance().userAccess = 1;
        fx->prompts.expectMessage();
        list.deleteSelected();
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("权限不够"));
        QCOMPARE(rows(), 1);
        QVERIFY(node(list, QStringLiteral("王 五")));
    }

    void administratorDeletesAfterConfirming_data()
    {
        QTest::addColumn<QString>("deleted");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("selectedAfter");
        QTest::addColumn<QString>("status");
        QTest::newRow("next sibling")
            << QStringLiteral("李 四") << Answer::Yes << QStringLiteral("王 五")
            << QStringLiteral("6个分组,2个联系人,双击查看详细信息.");
        QTest::newRow("previous sibling")
            << QStringLiteral("王 五") << Answer::Yes << QStringLiteral("李 四")
            << QStringLiteral("6个分组,2个联系人,双击查看详细信息.");
        QTest::newRow("only contact of its group")
            << QStringLiteral("张 三") << Answer::Yes << QString()
            << QStringLiteral("6个分组,2个联系人,双击查看详细信息.");
        QTest::newRow("declined") << QStringLiteral("李 四") << Answer::No
                                  << QStringLiteral("李 四")
                                  << QStringLiteral("6个分组,3个联系人,双击查看详细信息.");
    }

    void administratorDeletesAfterConfirming()
    {
        QFETCH(QString, deleted);
        QFETCH(Answer, answer);
        QFETCH(QString, selectedAfter);
        QFETCH(QString, status);
        addContact(QStringLiteral("李"), QStringLiteral("四"));
        addContact(QStringLiteral("王"), QStringLiteral("五"));
        addContact(QStringLiteral("张"), QStringLiteral("三"), QStringLiteral("同事"));
        frmContacts list(*fx->database());
        list.tree()->setCurrentItem(node(list, deleted));
        list.TreeView1_NodeClick(nullptr);
        fx->prompts.answer(answer);
        list.toolBar()->actions().at(2)->trigger();
        QCOMPARE(fx->prompts.last().text,
                 QStringLiteral("您确实要删除:[") + deleted + QStringLiteral("] 吗?"));
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("删除联系人"));
        const bool gone = answer == Answer::Yes;
        const QStringList name = deleted.split(QLatin1Char(' '));
        QCOMPARE(rows(QStringLiteral("FirstName = '%1'").arg(name.first())), gone ? 0 : 1);
        QCOMPARE(node(list, deleted) == nullptr, gone);
        QCOMPARE(list.tree()->currentItem() ? list.tree()->currentItem()->text(0) : QString(),
                 selectedAfter);
        QCOMPARE(list.statusText(), status);
        QVERIFY(node(list, QStringLiteral("同事")));
    }

    void deletingAGroupOrNothingDoesNothing()
    {
        addContact(QStringLiteral("王"), QStringLiteral("五"));
        frmContacts list(*fx->database());
        list.tree()->setCurrentItem(node(list, QStringLiteral("朋友")));
        list.deleteSelected();
        list.tree()->setCurrentItem(nullptr);
        list.deleteSelected();
        QCOMPARE(rows(), 1);
    }

    void contactMissingFromTheFileIsReported()
    {
        const qint64 id = addContact(QStringLiteral("王"), QStringLiteral("五"));
        frmContacts list(*fx->database());
        QTreeWidgetItem *shown = node(list, QStringLiteral("王 五"));
        QVERIFY(RawSql::run(fx->file,
                            { QStringLiteral("DELETE FROM Contacts WHERE ID = %1").arg(id) }));
        list.tree()->setCurrentItem(shown);
        fx->prompts.answer(Answer::Yes);
        fx->prompts.expectMessage();
        list.deleteSelected();
        QCOMPARE(fx->prompts.last().text,
                 QStringLiteral("没有找到该联系人哦，请确认数据库是否被损坏！"));
        QVERIFY(node(list, QStringLiteral("王 五")));
    }

    void draggingRegroups_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("storedGroup");
        QTest::addColumn<QStringList>("friends");
        QTest::addColumn<QStringList>("colleagues");
        QTest::newRow("onto another group")
            << QStringLiteral("同事") << QStringLiteral("同事")
            << QStringList({ QStringLiteral("李 四") })
            << QStringList({ QStringLiteral("张 三"), QStringLiteral("王 五") });
        QTest::newRow("onto a contact of another group")
            << QStringLiteral("张 三") << QStringLiteral("同事")
            << QStringList({ QStringLiteral("李 四") })
            << QStringList({ QStringLiteral("张 三"), QStringLiteral("王 五") });
        QTest::newRow("onto its own group")
            << QStringLiteral("朋友") << QStringLiteral("朋友")
            << QStringList({ QStringLiteral("李 四"), QStringLiteral("王 五") })
            << QStringList({ QStringLiteral("张 三") });
        QTest::newRow("onto itself")
            << QStringLiteral("王 五") << QStringLiteral("朋友")
            << QStringList({ QStringLiteral("李 四"), QStringLiteral("王 五") })
            << QStringList({ QStringLiteral("张 三") });
    }

    void draggingRegroups()
    {
        QFETCH(QString, target);
        QFETCH(QString, storedGroup);
        QFETCH(QStringList, friends);
        QFETCH(QStringList, colleagues);
        addContact(QStringLiteral("李"), QStringLiteral("四"));
        const qint64 wang = addContact(QStringLiteral("王"), QStringLiteral("五"));
        addContact(QStringLiteral("张"), QStringLiteral("三"), QStringLiteral("同事"));
        frmContacts list(*fx->database());
        list.resize(300, 900);
        list.show();
        for (int i = 0; i < list.tree()->topLevelItemCount(); ++i)
            list.tree()->topLevelItem(i)->setExpanded(true);

        QTreeWidgetItem *source = node(list, QStringLiteral("王 五"));
        QMimeData *payload = list.tree()->model()->mimeData({ list.tree()->indexFromItem(source) });
        // A private type: no text box takes the dragged contact as text.
        QVERIFY(payload && !payload->hasText());
        const QString key = QString::fromUtf8(payload->data(ContactTreeWidget::dragFormat()));
        delete payload;
        const QPoint at = list.tree()->visualItemRect(node(list, target)).center();
        drop(list, key, at);

        QCOMPARE(StoredContacts::field(fx->file, wang, QStringLiteral("Type")).toString(),
                 storedGroup);
        QCOMPARE(children(list, QStringLiteral("朋友")), friends);
        QCOMPARE(children(list, QStringLiteral("同事")), colleagues);
        if (storedGroup == QStringLiteral("同事"))
            QCOMPARE(list.tree()->currentItem()->text(0), QStringLiteral("王 五"));
    }

    void droppingOntoAClosedGroupShowsTheContactOnce()
    {
        addContact(QStringLiteral("李"), QStringLiteral("四"));
        const qint64 wang = addContact(QStringLiteral("王"), QStringLiteral("五"));
        addContact(QStringLiteral("张"), QStringLiteral("三"), QStringLiteral("同事"));
        AppSettings::setLastExpland(QStringLiteral("朋友"));
        frmContacts list(*fx->database());
        list.resize(300, 900);
        list.show();
        QTreeWidgetItem *colleagues = list.tree()->topLevelItem(0);
        QCOMPARE(colleagues->text(0), QStringLiteral("同事"));
        QVERIFY(!colleagues->isExpanded());
        const QString status = list.statusText();

        drop(list, QStringLiteral(" %1C").arg(wang),
             list.tree()->visualItemRect(colleagues).center());
        QVERIFY(colleagues->isExpanded());
        QCOMPARE(list.tree()->currentItem()->text(0), QStringLiteral("王 五"));
        QCOMPARE(list.statusText(), status);
        QCOMPARE(children(list, QStringLiteral("同事")),
                 QStringList({ QStringLiteral("王 五"), QStringLiteral("张 三") }));
        QCOMPARE(children(list, QStringLiteral("朋友")), QStringList({ QStringLiteral("李 四") }));
    }

    void groupsCannotBeDraggedAndEmptySpaceTakesNothing()
    {
        const qint64 wang = addContact(QStringLiteral("王"), QStringLiteral("五"));
        frmContacts list(*fx->database());
        list.resize(300, 900);
        list.show();
        QTreeWidgetItem *group = node(list, QStringLiteral("朋友"));
        QVERIFY(!list.tree()->model()->mimeData({ list.tree()->indexFromItem(group) }));
        drop(list, QStringLiteral(" %1C").arg(wang),
             QPoint(5, list.tree()->viewport()->height() - 2));
        QCOMPARE(StoredContacts::groups(fx->file), QStringList { QStringLiteral("朋友") });
        QCOMPARE(children(list, QStringLiteral("朋友")), QStringList({ QStringLiteral("王 五") }));
    }
};

QTEST_MAIN(TestListCommands)
#include "tst_listcommands.moc"
