#include "ContactTreeNodes.h"
#include "RawSql.h"
#include "ScriptedPrompts.h"
#include "SqlWarnings.h"
#include "StoredContacts.h"
#include "TestSandbox.h"
#include "contacts/ContactRows.h"
#include "contacts/widgets/ContactTreeWidget.h"
#include "contacts/widgets/frmContacts.h"
#include "data/Database.h"
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
    std::unique_ptr<TestSandbox> sandbox;
    std::unique_ptr<ScriptedPrompts> prompts;
    std::unique_ptr<Database> database;
    QString file;

    qint64 addContact(const QString &first, const QString &last,
                      const QString &group = QStringLiteral("朋友"))
    {
        return database
            ->insert(
                QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Type) VALUES (?, ?, ?)"),
                { first, last, group })
            .value();
    }

    int rows(const QString &where = QStringLiteral("1 = 1"))
    {
        return StoredContacts::count(file, where);
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
        failOnSqlWarnings();
        sandbox = std::make_unique<TestSandbox>();
        prompts = std::make_unique<ScriptedPrompts>();
        file = sandbox->writeDefaultDataFile();
        database = Database::open(file).takeValue();
        AppState::instance().userAccess = 0;
    }

    void cleanup()
    {
        database.reset();
        QCOMPARE(prompts->pending(), 0);
        prompts.reset();
        sandbox.reset();
    }

    void placeholderIsReusedUntilNamed()
    {
        const qint64 first = ContactRows::placeholder(*database).value();
        QCOMPARE(ContactRows::placeholder(*database).value(), first);
        QVERIFY(RawSql::run(
            file, { QStringLiteral("UPDATE Contacts SET FirstName = '王', LastName = '五'") }));
        QVERIFY(ContactRows::placeholder(*database).value() > first);
        QCOMPARE(rows(), 2);
    }

    void placeholderTakesTheTemplatesTrimmedValues()
    {
        QVERIFY(RawSql::run(
            file,
            { QStringLiteral(
                "INSERT INTO Contacts (FirstName, LastName, Title, Type, CompanyName, "
                "Address1, Postcode, Data1, Combo1, Combo2, Email, Notes) VALUES "
                "('模板', '模板', ' 经理 ', '客户', ' 华信 ', '\u3000北京\u3000', '100000', "
                "'010-1', 'QQ', NULL, 'a@b.cn', ' 注意\n第二行 ')") }));
        const qint64 id = ContactRows::placeholder(*database).value();
        const QList<QVariantList> made = RawSql::rows(
            file,
            QStringLiteral(
                "SELECT FirstName, LastName, Title, Type, CompanyName, Address1, Postcode, Data1, "
                "Combo1, Combo2, Email, Notes, Address3 FROM Contacts WHERE ID = %1")
                .arg(id));
        QCOMPARE(
            made.first(),
            QVariantList({ QStringLiteral("姓"), QStringLiteral("名字"), QStringLiteral("经理"),
                           QStringLiteral("客户"), QStringLiteral("华信"),
                           QStringLiteral("\u3000北京\u3000"), QStringLiteral("100000"),
                           QStringLiteral("010-1"), QStringLiteral("QQ"), QString(),
                           QStringLiteral("a@b.cn"), QStringLiteral("注意\n第二行"), QString() }));
    }

    void withoutTemplateTheDefaultLabelsAreUsed()
    {
        const qint64 id = ContactRows::placeholder(*database).value();
        QCOMPARE(RawSql::value(
                     file,
                     QStringLiteral(
                         "SELECT Combo1 || Combo2 || Combo3 || Combo4 FROM Contacts WHERE ID = %1")
                         .arg(id))
                     .toString(),
                 QStringLiteral("电话手机传真寻呼机"));
    }

    void templateIsCreatedOnce()
    {
        const qint64 id = ContactRows::templateRow(*database).value();
        QCOMPARE(ContactRows::templateRow(*database).value(), id);
        QCOMPARE(rows(QStringLiteral("FirstName = '模板' AND LastName = '模板'")), 1);
    }

    void normalUserGetsOnlyTheRightsMessage()
    {
        addContact(QStringLiteral("王"), QStringLiteral("五"));
        frmContacts list(*database);
        list.tree()->setCurrentItem(node(list, QStringLiteral("王 五")));
        AppState::instance().userAccess = 1;
        prompts->expectMessage();
        list.deleteSelected();
        QCOMPARE(prompts->last().caption, QStringLiteral("权限不够"));
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
        frmContacts list(*database);
        list.tree()->setCurrentItem(node(list, deleted));
        list.TreeView1_NodeClick(nullptr);
        prompts->answer(answer);
        list.toolBar()->actions().at(2)->trigger();
        QCOMPARE(prompts->last().text,
                 QStringLiteral("您确实要删除:[") + deleted + QStringLiteral("] 吗?"));
        QCOMPARE(prompts->last().caption, QStringLiteral("删除联系人"));
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
        frmContacts list(*database);
        list.tree()->setCurrentItem(node(list, QStringLiteral("朋友")));
        list.deleteSelected();
        list.tree()->setCurrentItem(nullptr);
        list.deleteSelected();
        QCOMPARE(rows(), 1);
    }

    void contactMissingFromTheFileIsReported()
    {
        const qint64 id = addContact(QStringLiteral("王"), QStringLiteral("五"));
        frmContacts list(*database);
        QTreeWidgetItem *shown = node(list, QStringLiteral("王 五"));
        QVERIFY(
            RawSql::run(file, { QStringLiteral("DELETE FROM Contacts WHERE ID = %1").arg(id) }));
        list.tree()->setCurrentItem(shown);
        prompts->answer(Answer::Yes);
        prompts->expectMessage();
        list.deleteSelected();
        QCOMPARE(prompts->last().text,
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
        frmContacts list(*database);
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

        QCOMPARE(StoredContacts::field(file, wang, QStringLiteral("Type")).toString(), storedGroup);
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
        frmContacts list(*database);
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
        frmContacts list(*database);
        list.resize(300, 900);
        list.show();
        QTreeWidgetItem *group = node(list, QStringLiteral("朋友"));
        QVERIFY(!list.tree()->model()->mimeData({ list.tree()->indexFromItem(group) }));
        drop(list, QStringLiteral(" %1C").arg(wang),
             QPoint(5, list.tree()->viewport()->height() - 2));
        QCOMPARE(StoredContacts::groups(file), QStringList { QStringLiteral("朋友") });
        QCOMPARE(children(list, QStringLiteral("朋友")), QStringList({ QStringLiteral("王 五") }));
    }
};

QTEST_MAIN(TestListCommands)
#include "tst_listcommands.moc"
