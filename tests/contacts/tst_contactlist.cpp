#include "ContactTreeNodes.h"
#include "GuiFixture.h"
#include "RawSql.h"
#include "StoredContacts.h"
#include "contacts/widgets/ContactTreeWidget.h"
#include "contacts/widgets/frmContacts.h"
#include "shared/AppSettings.h"
#include "shared/AppState.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>

class TestContactList : public QObject
{
    Q_OBJECT

private:
    std::optional<GuiFixture> fx;

    void setGroups(const QStringList &groups)
    {
        QStringList statements { QStringLiteral("DELETE FROM ContactType WHERE Type = 3") };
        for (int i = 0; i < groups.size(); ++i)
            statements << QStringLiteral(
                              "INSERT INTO ContactType (Name, Type, Number) VALUES (%1, 3, %2)")
                              .arg(RawSql::quoted(groups.at(i)))
                              .arg(i + 1);
        QVERIFY(RawSql::run(fx->file, statements));
    }

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

    // Each group as "name: contact, contact".
    static QStringList shown(const frmContacts &list)
    {
        QStringList lines;
        QTreeWidget *tree = list.tree();
        ContactTreeNodes::openAllGroups(tree);
        for (int i = 0; i < tree->topLevelItemCount(); ++i) {
            QStringList names;
            for (int j = 0; j < tree->topLevelItem(i)->childCount(); ++j)
                names << tree->topLevelItem(i)->child(j)->text(0);
            lines << tree->topLevelItem(i)->text(0) + QStringLiteral(": ")
                    + names.join(QStringLiteral(", "));
        }
        return lines;
    }

    static QString selectedText(const frmContacts &list)
    {
        return list.tree()->currentItem() ? list.tree()->currentItem()->text(0) : QString();
    }

private slots:
    void init()
    {
        fx.emplace();
        AppState::instance().userAccess = 0;
    }

    void cleanup() { fx.reset(); }

    void contactsAreGroupedInCategoryOrderThenOtherGroups()
    {
        // A blank category is no group, not even for a contact without one.
        setGroups({ QStringLiteral("同事"), QStringLiteral("   "), QStringLiteral("朋友"),
                    QStringLiteral("Friends") });
        addContact(QStringLiteral("王"), QStringLiteral("五"), QStringLiteral("朋友"));
        addContact(QStringLiteral("Cole"), QStringLiteral("Ann"), QStringLiteral("Club"));
        addContact(QStringLiteral("Berg"), QStringLiteral("Bo"), QStringLiteral("friends"));
        addContact(QStringLiteral("Adams"), QStringLiteral("Al"), QStringLiteral("Friends"));
        addContact(QStringLiteral("李"), QStringLiteral("四"), QStringLiteral("同"));
        addContact(QStringLiteral("无"), QStringLiteral("组"), QString());
        addContact(QStringLiteral("姓"), QStringLiteral("名字"), QStringLiteral("朋友"));
        addContact(QStringLiteral("模板"), QStringLiteral("模板"), QStringLiteral("朋友"));
        addContact(QStringLiteral("模板"), QStringLiteral("真人"), QStringLiteral("朋友"));
        addContact(QStringLiteral("O'Hara"), QStringLiteral("Kim"), QStringLiteral("O'Neil's"));
        addContact(QStringLiteral("  赵 "), QStringLiteral(" 六"), QStringLiteral("朋友"));
        addContact(QStringLiteral(" 姓  "), QStringLiteral("名字 "), QStringLiteral("Club"));
        addContact(QString(), QStringLiteral("无名"), QStringLiteral("朋友"));

        frmContacts list(*fx->database());
        // Counted before any group is read, and equal to what reading them shows.
        QCOMPARE(list.statusText(), QStringLiteral("6个分组,9个联系人,双击查看详细信息."));
        QCOMPARE(shown(list),
                 QStringList({
                     QStringLiteral("同事: "),
                     QStringLiteral("朋友:  无名, 赵 六, 模板 真人, 王 五"),
                     QStringLiteral("Friends: Adams Al, Berg Bo"),
                     QStringLiteral("Club: Cole Ann"),
                     QStringLiteral("O'Neil's: O'Hara Kim"),
                     QStringLiteral("同: 李 四"),
                 }));
        QCOMPARE(list.statusText(), QStringLiteral("6个分组,9个联系人,双击查看详细信息."));
        QVERIFY(list.tree()
                    ->topLevelItem(0)
                    ->data(0, Qt::UserRole)
                    .toString()
                    .startsWith(QLatin1String("_+ ")));
    }

    // The sqlite3 shell's INSERT OR REPLACE removes the replaced row without telling the
    // counts; the list still counts right and shows every contact where it belongs.
    void anotherProgramsReplaceLeavesCountsAndContactsRight()
    {
        addContact(QStringLiteral("王"), QStringLiteral("五"), QStringLiteral("朋友"));
        addContact(QStringLiteral("赵"), QStringLiteral("六"), QStringLiteral("朋友"));
        addContact(QStringLiteral("钱"), QStringLiteral("八"), QStringLiteral("客户"));
        frmContacts before(*fx->database());
        QCOMPARE(before.statusText(), QStringLiteral("6个分组,3个联系人,双击查看详细信息."));
        QVERIFY(RawSql::run(fx->file,
                            { QStringLiteral("INSERT OR REPLACE INTO Contacts (ID, "
                                             "FirstName, LastName, Type) SELECT ID, "
                                             "'孙', '七', '客户' FROM Contacts WHERE "
                                             "FirstName = '王'"),
                              QStringLiteral("ANALYZE") }));

        frmContacts list(*fx->database());
        QCOMPARE(list.statusText(), QStringLiteral("6个分组,3个联系人,双击查看详细信息."));
        QCOMPARE(shown(list),
                 QStringList({ QStringLiteral("同事: "), QStringLiteral("朋友: 赵 六"),
                               QStringLiteral("家人: "), QStringLiteral("客户: 钱 八, 孙 七"),
                               QStringLiteral("同学: "), QStringLiteral("其他方面: ") }));
    }

    void editedContactsAreShownWhereTheyNowBelong_data()
    {
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("known");
        QTest::addColumn<bool>("opened");
        QTest::addColumn<QStringList>("tree");
        QTest::addColumn<QString>("status");
        // Unopened, the list has read only the first group; "VIP" is read when needed. A group
        // typed as "vip" joins the node "VIP".
        for (const bool opened : { false, true }) {
            const char *state = opened ? "all groups open" : "only first group open";
            QTest::addRow("renamed, %s", state)
                << QStringLiteral("朋友") << QStringLiteral("王 六") << true << opened
                << QStringList(
                       { QStringLiteral("朋友: 王 六, 张 三"), QStringLiteral("VIP: 李 四") })
                << QStringLiteral("2个分组,3个联系人,双击查看详细信息.");
            QTest::addRow("moved to existing group, %s", state)
                << QStringLiteral("vip") << QStringLiteral("王 五") << true << opened
                << QStringList(
                       { QStringLiteral("朋友: 张 三"), QStringLiteral("VIP: 李 四, 王 五") })
                << QStringLiteral("2个分组,3个联系人,双击查看详细信息.");
            QTest::addRow("moved to new group, %s", state)
                << QStringLiteral("球友") << QStringLiteral("王 五") << true << opened
                << QStringList({ QStringLiteral("朋友: 张 三"), QStringLiteral("VIP: 李 四"),
                                 QStringLiteral("球友: 王 五") })
                << QStringLiteral("3个分组,3个联系人,双击查看详细信息.");
            // An open group takes a new contact at its end; one read afterwards, in name order.
            QTest::addRow("new in existing group, %s", state)
                << QStringLiteral("vip") << QStringLiteral("新 人") << false << opened
                << QStringList({ QStringLiteral("朋友: 王 五, 张 三"),
                                 QStringLiteral("VIP: 李 四, 新 人") })
                << QStringLiteral("2个分组,4个联系人,双击查看详细信息.");
            QTest::addRow("new in first group, %s", state)
                << QStringLiteral("朋友") << QStringLiteral("新 人") << false << opened
                << QStringList({ QStringLiteral("朋友: 王 五, 张 三, 新 人"),
                                 QStringLiteral("VIP: 李 四") })
                << QStringLiteral("2个分组,4个联系人,双击查看详细信息.");
            QTest::addRow("new in new group, %s", state)
                << QStringLiteral("邻居") << QStringLiteral("新 人") << false << opened
                << QStringList({ QStringLiteral("朋友: 王 五, 张 三"), QStringLiteral("VIP: 李 四"),
                                 QStringLiteral("邻居: 新 人") })
                << QStringLiteral("3个分组,4个联系人,双击查看详细信息.");
        }
    }

    // The editor writes the row first and then tells the list.
    void editedContactsAreShownWhereTheyNowBelong()
    {
        QFETCH(QString, group);
        QFETCH(QString, name);
        QFETCH(bool, known);
        QFETCH(bool, opened);
        QFETCH(QStringList, tree);
        QFETCH(QString, status);
        setGroups({ QStringLiteral("朋友"), QStringLiteral("VIP") });
        addContact(QStringLiteral("李"), QStringLiteral("四"), QStringLiteral("VIP"));
        qint64 id = addContact(QStringLiteral("王"), QStringLiteral("五"), QStringLiteral("朋友"));
        addContact(QStringLiteral("张"), QStringLiteral("三"), QStringLiteral("朋友"));
        frmContacts list(*fx->database());
        if (opened)
            ContactTreeNodes::openAllGroups(list.tree());
        const QStringList parts = name.split(QLatin1Char(' '));
        if (known)
            QVERIFY(fx->database()->execute(
                QStringLiteral("UPDATE Contacts SET FirstName = ?, LastName = ?, Type = ? "
                               "WHERE ID = ?"),
                { parts.at(0), parts.at(1), group, id }));
        else
            id = addContact(parts.at(0), parts.at(1), group);
        const QString key = QStringLiteral(" %1C").arg(id);

        list.Update_Main_List(key, group, name);
        QCOMPARE(list.statusText(), status);
        QCOMPARE(selectedText(list), name);
        QCOMPARE(list.tree()->currentItem()->data(0, Qt::UserRole).toString(), key);
        QVERIFY(list.tree()->currentItem()->parent()->isExpanded());
        QCOMPARE(shown(list), tree);
    }

    void markupInANameIsShownAsText_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("link") << QStringLiteral("<a href=\"file:///x\">x</a>");
        QTest::newRow("image") << QStringLiteral("<img src=\"x.png\">");
    }

    void markupInANameIsShownAsText()
    {
        QFETCH(QString, name);
        setGroups({ QStringLiteral("朋友") });
        addContact(name, QStringLiteral("五"), QStringLiteral("朋友"));
        frmContacts list(*fx->database());
        list.show();
        QTreeWidgetItem *node = ContactTreeNodes::find(list.tree(), name + QStringLiteral(" 五"));
        QVERIFY(node);
        list.tree()->setCurrentItem(node);

        const QPoint at = list.tree()->visualItemRect(node).center();
        QMouseEvent move(QEvent::MouseMove, at, list.tree()->viewport()->mapToGlobal(at),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list.tree()->viewport(), &move);
        // Read as a tool tip reads it.
        const QString tip = list.tree()->viewport()->toolTip();
        QTextDocument tipShown;
        if (Qt::mightBeRichText(tip))
            tipShown.setHtml(tip);
        else
            tipShown.setPlainText(tip);
        QVERIFY2(tipShown.toPlainText().contains(node->text(0)), qPrintable(tip));
    }

    void rememberedGroupIsRestored_data()
    {
        QTest::addColumn<QString>("remembered");
        QTest::addColumn<QString>("selected");
        QTest::newRow("existing group") << QStringLiteral("朋友") << QStringLiteral("朋友");
        QTest::newRow("first start") << QString() << QStringLiteral("同事");
        QTest::newRow("group gone") << QStringLiteral("旧组") << QStringLiteral("家人");
    }

    void rememberedGroupIsRestored()
    {
        QFETCH(QString, remembered);
        QFETCH(QString, selected);
        setGroups({ QStringLiteral("同事"), QStringLiteral("朋友"), QStringLiteral("家人") });
        AppSettings::setLastExpland(remembered);
        frmContacts list(*fx->database());
        QCOMPARE(selectedText(list), selected);
        QVERIFY(list.tree()->currentItem()->isExpanded());
    }

    void closingRemembersTheSelectedContactsGroup()
    {
        setGroups({ QStringLiteral("同事"), QStringLiteral("朋友") });
        addContact(QStringLiteral("王"), QStringLiteral("五"), QStringLiteral("朋友"));
        {
            frmContacts list(*fx->database());
            list.show();
            list.tree()->setCurrentItem(
                ContactTreeNodes::find(list.tree(), QStringLiteral("王 五")));
            list.close();
            QVERIFY(!list.HasSHowMe);
        }
        QCOMPARE(AppSettings::lastExpland(), QStringLiteral("朋友"));
        frmContacts reopened(*fx->database());
        QCOMPARE(selectedText(reopened), QStringLiteral("朋友"));
    }

    void onlyAContactNodeEnablesEditAndDelete()
    {
        setGroups({ QStringLiteral("朋友") });
        addContact(QStringLiteral("王"), QStringLiteral("五"), QStringLiteral("朋友"));
        frmContacts list(*fx->database());
        const auto buttons = list.toolBar()->actions();
        QTreeWidgetItem *group = list.tree()->topLevelItem(0);
        list.tree()->setCurrentItem(group->child(0));
        list.TreeView1_NodeClick(group->child(0));
        QVERIFY(buttons.at(1)->isEnabled() && buttons.at(2)->isEnabled());
        const bool expanded = group->isExpanded();
        list.tree()->setCurrentItem(group);
        list.TreeView1_NodeClick(group);
        QVERIFY(!buttons.at(1)->isEnabled() && !buttons.at(2)->isEnabled());
        QCOMPARE(group->isExpanded(), !expanded);
    }

    void searchBoxSendsItsTextUnchanged_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("prompt left in place") << QString();
        QTest::newRow("keywords with blanks") << QStringLiteral(" 王 五 ");
    }

    void searchBoxSendsItsTextUnchanged()
    {
        QFETCH(QString, typed);
        frmContacts list(*fx->database());
        auto *box = list.findChild<QLineEdit *>(QStringLiteral("txtSearch"));
        if (!typed.isNull())
            box->setText(typed);
        QSignalSpy spy(&list, &frmContacts::searchRequested);
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.first().first().toString(),
                 typed.isNull() ? QStringLiteral("请在此输入搜索关键字") : typed);
    }

    void normalUserGetsOnlyTheRightsMessage()
    {
        addContact(QStringLiteral("王"), QStringLiteral("五"));
        frmContacts list(*fx->database());
        list.tree()->setCurrentItem(node(list, QStringLiteral("王 五")));
        AppState::instance().userAccess = 1;
        fx->prompts.expectMessage();
        list.deleteSelected();
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("权限不够"));
        QCOMPARE(fx->prompts.last().icon, MessageIcon::Exclamation);
        QCOMPARE(rows(), 1);
        QVERIFY(node(list, QStringLiteral("王 五")));
    }

    void administratorDeletesAfterConfirming_data()
    {
        // Rights 0 and 2 are both an administrator's.
        QTest::addColumn<int>("access");
        QTest::addColumn<QString>("deleted");
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("selectedAfter");
        QTest::addColumn<QString>("status");
        QTest::newRow("next sibling")
            << 0 << QStringLiteral("李 四") << Answer::Yes << QStringLiteral("王 五")
            << QStringLiteral("6个分组,2个联系人,双击查看详细信息.");
        QTest::newRow("previous sibling, rights 2")
            << 2 << QStringLiteral("王 五") << Answer::Yes << QStringLiteral("李 四")
            << QStringLiteral("6个分组,2个联系人,双击查看详细信息.");
        QTest::newRow("only contact of its group")
            << 0 << QStringLiteral("张 三") << Answer::Yes << QString()
            << QStringLiteral("6个分组,2个联系人,双击查看详细信息.");
        QTest::newRow("declined") << 0 << QStringLiteral("李 四") << Answer::No
                                  << QStringLiteral("李 四")
                                  << QStringLiteral("6个分组,3个联系人,双击查看详细信息.");
    }

    void administratorDeletesAfterConfirming()
    {
        QFETCH(int, access);
        QFETCH(QString, deleted);
        QFETCH(Answer, answer);
        QFETCH(QString, selectedAfter);
        QFETCH(QString, status);
        AppState::instance().userAccess = access;
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

QTEST_MAIN(TestContactList)
#include "tst_contactlist.moc"
