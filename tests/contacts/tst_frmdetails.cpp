#include "ContactFixture.h"
#include "ContactTreeNodes.h"
#include "FindControl.h"
#include "GuiFixture.h"
#include "RawSql.h"
#include "StoredContacts.h"
#include "WhenModalShown.h"
#include "app/widgets/frmMain.h"
#include "categories/widgets/FrmType.h"
#include "contacts/ContactKeys.h"
#include "contacts/widgets/frmContacts.h"
#include "contacts/widgets/frmDetails.h"
#include "shared/AppSettings.h"

#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QTreeWidget>
#include <QtTest>

Q_DECLARE_METATYPE(Answer)

class TestFrmDetails : public QObject
{
    Q_OBJECT

private:
    std::optional<GuiFixture> fx;
    // An editor on its own, outside the main window, on the test's connection.
    std::unique_ptr<frmDetails> lone;

    qint64 addRow(const QString &first, const QString &last, const QVariantMap &more = {})
    {
        Database *database = fx->database();
        return database ? addContact(*database, first, last, more) : -1;
    }

    QVariant stored(qint64 id, const QString &field) const
    {
        return StoredContacts::field(fx->file, id, field);
    }

    frmMain *logIn()
    {
        frmMain *main = fx->app.logIn();
        if (!main) {
            QTest::qFail("no main window", __FILE__, __LINE__);
            return nullptr;
        }
        main->activateWindow();
        if (!QTest::qWaitForWindowActive(main))
            QTest::qFail("the main window did not become active", __FILE__, __LINE__);
        return main;
    }

    static frmDetails *openIn(frmMain *main, qint64 id)
    {
        auto *editor = new frmDetails(main->DB(), id);
        QMdiSubWindow *frame = main->showChild(editor);
        main->mdiArea()->setActiveSubWindow(frame);
        return editor;
    }

    frmDetails *openAlone(qint64 id)
    {
        lone = std::make_unique<frmDetails>(*fx->database(), id);
        lone->show();
        lone->activateWindow();
        if (!QTest::qWaitForWindowActive(lone.get()))
            QTest::qFail("the editor did not become active", __FILE__, __LINE__);
        return lone.get();
    }

    static QComboBox *box(QWidget *editor, const QString &name)
    {
        return control<QComboBox>(editor, name);
    }

    static void focus(QWidget *widget)
    {
        widget->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(widget->hasFocus());
    }

    // Types as a user would: Latin characters from the keyboard, the others through the input
    // method, as Chinese text arrives.
    static void type(QWidget *target, const QString &text)
    {
        for (const QChar ch : text) {
            if (ch.unicode() < 128) {
                QTest::keyClick(target, ch.toLatin1());
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(ch));
                QCoreApplication::sendEvent(target, &commit);
            }
        }
    }

    // Types into a drop-down box as a user would and then moves on to another box.
    static void typeAndLeave(QWidget *editor, QComboBox *target, const QString &text)
    {
        focus(target);
        target->lineEdit()->selectAll();
        QTest::keyClick(target, Qt::Key_Delete);
        type(target, text);
        focus(control(editor, QStringLiteral("txtData1")));
    }

    // Chooses an entry from the box's open list.
    static void pick(QComboBox *target, const QString &entry)
    {
        const int index = target->findText(entry);
        QVERIFY2(index >= 0, qPrintable(entry));
        target->showPopup();
        QTRY_VERIFY(target->view()->isVisible());
        target->view()->setCurrentIndex(target->model()->index(index, 0));
        QTest::keyClick(target->view(), Qt::Key_Return);
    }

    static void click(QWidget *editor, const QString &label)
    {
        QTest::mouseClick(control<QLabel>(editor, label), Qt::LeftButton);
    }

    static QTreeWidgetItem *node(frmContacts *list, qint64 id)
    {
        return ContactTreeNodes::byKey(list->tree(), ContactKeys::contactKey(id));
    }

    static QStringList items(const QComboBox *target)
    {
        QStringList texts;
        for (int i = 0; i < target->count(); ++i)
            texts << target->itemText(i);
        return texts;
    }

private slots:
    void init() { fx.emplace(); }

    void cleanup()
    {
        lone.reset();
        fx.reset();
    }

    // The group rules themselves are the store's; the box shows them as soon as it is left.
    void groupBoxShowsAndStoresTheGroupByItsRules_data()
    {
        QTest::addColumn<QString>("storedGroup");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("group");
        QTest::newRow("blank group opened")
            << QStringLiteral("   ") << QString() << QStringLiteral("其他方面");
        QTest::newRow("separator typed")
            << QStringLiteral("朋友") << QStringLiteral("甲 | 乙") << QStringLiteral("甲 - 乙");
    }

    void groupBoxShowsAndStoresTheGroupByItsRules()
    {
        QFETCH(QString, storedGroup);
        QFETCH(QString, typed);
        QFETCH(QString, group);
        const qint64 id = addRow(QStringLiteral("王"), QStringLiteral("五"),
                                 { { QStringLiteral("Type"), storedGroup } });
        frmDetails *editor = openAlone(id);
        QComboBox *groupBox = box(editor, QStringLiteral("cmbCat(1)"));
        if (!typed.isEmpty())
            typeAndLeave(editor, groupBox, typed);
        QCOMPARE(groupBox->currentText(), group);
        QCOMPARE(control(editor, QStringLiteral("Text1(1)"))->text(), group);
        QVERIFY(editor->close());
        QCOMPARE(stored(id, QStringLiteral("Type")).toString(), group);
    }

    void typedAndChosenLabelsAndTitlesAreStored_data()
    {
        QTest::addColumn<bool>("leaveFirst");
        QTest::newRow("box left before closing") << true;
        QTest::newRow("closed while typing") << false;
    }

    void typedAndChosenLabelsAndTitlesAreStored()
    {
        QFETCH(bool, leaveFirst);
        const qint64 id = addRow(QStringLiteral("王"), QStringLiteral("五"),
                                 { { QStringLiteral("Combo1"), QStringLiteral("电话") },
                                   { QStringLiteral("Combo3"), QStringLiteral("传真") } });
        frmDetails *editor = openAlone(id);
        QComboBox *title = box(editor, QStringLiteral("cmbCat(0)"));
        pick(title, QStringLiteral("经理"));
        QCOMPARE(control(editor, QStringLiteral("Text1(0)"))->text(), QStringLiteral("经理"));
        QCOMPARE(title->toolTip(), QStringLiteral("经理"));
        pick(box(editor, QStringLiteral("cmbData1(0)")), QStringLiteral("家庭电话"));
        QCOMPARE(control(editor, QStringLiteral("Text2(0)"))->text(), QStringLiteral("家庭电话"));

        QComboBox *label = box(editor, QStringLiteral("cmbData1(2)"));
        if (leaveFirst) {
            typeAndLeave(editor, label, QStringLiteral("微信号"));
            QCOMPARE(control(editor, QStringLiteral("Text2(2)"))->text(), QStringLiteral("微信号"));
        } else {
            focus(label);
            label->lineEdit()->selectAll();
            type(label, QStringLiteral("微信号"));
        }
        click(editor, QStringLiteral("Label7"));
        QVERIFY(!editor->isVisible());
        QCOMPARE(stored(id, QStringLiteral("Title")).toString(), QStringLiteral("经理"));
        QCOMPARE(stored(id, QStringLiteral("Combo1")).toString(), QStringLiteral("家庭电话"));
        QCOMPARE(stored(id, QStringLiteral("Combo3")).toString(), QStringLiteral("微信号"));
    }

    void settingsEntryInALabelBoxKeepsTheLabelAndReloadsEveryLabelList()
    {
        const QStringList labels { QStringLiteral("手机"), QStringLiteral("我的标签"), QString(),
                                   QStringLiteral("传真") };
        const qint64 id = addRow(QStringLiteral("王"), QStringLiteral("五"),
                                 { { QStringLiteral("Combo1"), labels.at(0) },
                                   { QStringLiteral("Combo2"), labels.at(1) },
                                   { QStringLiteral("Combo3"), labels.at(2) },
                                   { QStringLiteral("Combo4"), labels.at(3) } });
        frmMain *main = logIn();
        QVERIFY(main);
        frmDetails *editor = openIn(main, id);
        const WhenModalShown<FrmType> managerOpens([](FrmType *manager) {
            control(manager, QStringLiteral("Datafiled(0)"))->setText(QStringLiteral("微信"));
            control<QPushButton>(manager, QStringLiteral("cmdUpdate"))->click();
            control<QPushButton>(manager, QStringLiteral("cmdCancel"))->click();
        });
        pick(box(editor, QStringLiteral("cmbData1(1)")), QStringLiteral("-=类别设置=-"));
        QVERIFY(managerOpens.seen());

        const QStringList offered { QStringLiteral("-=类别设置=-"), QStringLiteral("电话"),
                                    QStringLiteral("手机"),         QStringLiteral("传真"),
                                    QStringLiteral("寻呼机"),       QStringLiteral("办公电话"),
                                    QStringLiteral("家庭电话"),     QStringLiteral("微信") };
        for (int i = 0; i < 4; ++i) {
            QComboBox *label = box(editor, QStringLiteral("cmbData1(%1)").arg(i));
            QCOMPARE(items(label), offered);
            QCOMPARE(label->currentText(), labels.at(i));
        }
        editor->closeWindow();
        for (int i = 0; i < 4; ++i)
            QCOMPARE(stored(id, QStringLiteral("Combo%1").arg(i + 1)).toString(), labels.at(i));
    }

    void managerOpensForTheKindOfItsCaptionOrBox_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        const QString titles = QStringLiteral("设置[职务]类别");
        const QString labels = QStringLiteral("设置[联系方式]类别");
        const QString groups = QStringLiteral("设置[关系]类别");
        QTest::newRow("Label3") << QStringLiteral("Label3") << 1 << titles;
        QTest::newRow("Label8") << QStringLiteral("Label8") << 2 << labels;
        QTest::newRow("Label10") << QStringLiteral("Label10") << 3 << groups;
        QTest::newRow("cmbCat(0)") << QStringLiteral("cmbCat(0)") << 1 << titles;
        QTest::newRow("cmbCat(1)") << QStringLiteral("cmbCat(1)") << 3 << groups;
        QTest::newRow("cmbData1(3)") << QStringLiteral("cmbData1(3)") << 2 << labels;
    }

    void managerOpensForTheKindOfItsCaptionOrBox()
    {
        QFETCH(QString, from);
        QFETCH(int, kind);
        QFETCH(QString, caption);
        const qint64 id = addRow(QStringLiteral("王"), QStringLiteral("五"),
                                 { { QStringLiteral("Title"), QStringLiteral("经理") },
                                   { QStringLiteral("Type"), QStringLiteral("朋友") },
                                   { QStringLiteral("Combo4"), QStringLiteral("寻呼机") } });
        frmDetails *editor = openAlone(id);
        QString shownCaption;
        int shownKind = 0;
        const WhenModalShown<FrmType> managerOpens([&](FrmType *manager) {
            shownCaption = manager->windowTitle();
            shownKind = manager->Int_Type;
            manager->close();
        });
        if (from.startsWith(QLatin1String("Label")))
            click(editor, from);
        else
            pick(box(editor, from), QStringLiteral("-=类别设置=-"));
        QVERIFY(managerOpens.seen());
        QCOMPARE(shownCaption, caption);
        QCOMPARE(shownKind, kind);
        QCOMPARE(box(editor, QStringLiteral("cmbCat(0)"))->currentText(), QStringLiteral("经理"));
        QCOMPARE(box(editor, QStringLiteral("cmbCat(1)"))->currentText(), QStringLiteral("朋友"));
        QCOMPARE(box(editor, QStringLiteral("cmbData1(3)"))->currentText(),
                 QStringLiteral("寻呼机"));
    }

    // The store refuses blank names; every way of closing the editor must ask it first.
    void blankNameRefusesToCloseAndChangesNothing_data()
    {
        QTest::addColumn<QString>("blanked");
        QTest::addColumn<QString>("how");
        QTest::newRow("surname by 关闭")
            << QStringLiteral("txtFirstName") << QStringLiteral("关闭");
        QTest::newRow("given name by Escape")
            << QStringLiteral("txtLastName") << QStringLiteral("Escape");
        QTest::newRow("surname by the frame")
            << QStringLiteral("txtFirstName") << QStringLiteral("frame");
        QTest::newRow("by closing every window")
            << QStringLiteral("txtLastName") << QStringLiteral("close all");
        QTest::newRow("by 退出") << QStringLiteral("txtFirstName") << QStringLiteral("退出");
    }

    void blankNameRefusesToCloseAndChangesNothing()
    {
        QFETCH(QString, blanked);
        QFETCH(QString, how);
        const qint64 id = addRow(QStringLiteral("王"), QStringLiteral("五"));
        frmMain *main = logIn();
        QVERIFY(main);
        const QVariantList before = StoredContacts::row(fx->file, id);
        frmDetails *editor = openIn(main, id);
        QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow *>(editor->parentWidget());
        control(editor, QStringLiteral("txtCity"))->setText(QStringLiteral("新公司"));
        control(editor, blanked)->setText(QStringLiteral("   "));
        QLineEdit *lastName = control(editor, QStringLiteral("txtLastName"));
        focus(lastName);

        fx->prompts.expectMessage();
        if (how == QStringLiteral("关闭"))
            click(editor, QStringLiteral("Label7"));
        else if (how == QLatin1String("Escape"))
            QTest::keyClick(lastName, Qt::Key_Escape);
        else if (how == QLatin1String("frame"))
            QVERIFY(!frame->close());
        else if (how == QLatin1String("close all"))
            main->CloseAll_Click();
        else
            control<QAction>(main, QStringLiteral("mnuExit"))->trigger();

        QCOMPARE(fx->prompts.texts(),
                 QStringList { QStringLiteral("姓名为必填信息，请不要省略哦！") });
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("出错啦！"));
        QCOMPARE(fx->prompts.last().icon, MessageIcon::Exclamation);
        QVERIFY(frame && frame->isVisible());
        QVERIFY(fx->app.endRequests.isEmpty());
        QCOMPARE(editor->focusWidget(), control(editor, QStringLiteral("txtFirstName")));
        QCOMPARE(control(editor, QStringLiteral("txtCity"))->text(), QStringLiteral("新公司"));
        QCOMPARE(StoredContacts::row(fx->file, id), before);
    }

    // Which names are never listed is the names' rule; closing must not list one either.
    void aPlaceholderIsStoredButNotListed()
    {
        const qint64 id = addRow(QStringLiteral("姓"), QStringLiteral("名字"),
                                 { { QStringLiteral("Type"), QStringLiteral("朋友") } });
        frmMain *main = logIn();
        QVERIFY(main);
        frmContacts *list = main->contactList();
        const QString status = list->statusText();
        frmDetails *editor = openIn(main, id);
        QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow *>(editor->parentWidget());
        control(editor, QStringLiteral("txtCity"))->setText(QStringLiteral("某公司"));
        QTest::keyClick(control(editor, QStringLiteral("txtCity")), Qt::Key_Escape);
        QTRY_VERIFY(!frame);
        QCOMPARE(stored(id, QStringLiteral("CompanyName")).toString(), QStringLiteral("某公司"));
        QVERIFY(!node(list, id));
        QCOMPARE(list->statusText(), status);
    }

    void namesLoseOuterBlanksAsTheyAreTyped()
    {
        const qint64 id = addRow(QStringLiteral("王"), QStringLiteral("五"));
        frmDetails *editor = openAlone(id);
        QLineEdit *first = control(editor, QStringLiteral("txtFirstName"));
        QLineEdit *last = control(editor, QStringLiteral("txtLastName"));
        focus(first);
        first->clear();
        type(first, QStringLiteral("  欧阳 "));
        QCOMPARE(first->text(), QStringLiteral("欧阳"));
        last->setText(QStringLiteral("  小 明  "));
        QCOMPARE(last->text(), QStringLiteral("小 明"));
    }

    void templateNamesAreGreyAndReadOnly_data()
    {
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::addColumn<bool>("locked");
        QTest::newRow("template") << QStringLiteral("模板") << QStringLiteral("模板") << true;
        QTest::newRow("contact named 模板")
            << QStringLiteral("模板") << QStringLiteral("真人") << false;
    }

    void templateNamesAreGreyAndReadOnly()
    {
        QFETCH(QString, first);
        QFETCH(QString, last);
        QFETCH(bool, locked);
        frmDetails *editor = openAlone(addRow(first, last));
        QCOMPARE(editor->windowTitle(), QStringLiteral("联系人 - ") + first + u' ' + last);
        const QColor grey(192, 192, 192);
        for (const QString &name :
             { QStringLiteral("txtFirstName"), QStringLiteral("txtLastName") }) {
            QLineEdit *nameBox = control(editor, name);
            QCOMPARE(nameBox->isReadOnly(), locked);
            QCOMPARE(nameBox->palette().color(QPalette::Base) == grey, locked);
        }
        editor->makeTemplate();
        QVERIFY(control(editor, QStringLiteral("txtLastName"))->isReadOnly());
        QCOMPARE(control(editor, QStringLiteral("txtFirstName"))->palette().color(QPalette::Base),
                 grey);
    }

    // Where each edit lands in the tree is the list's; this shows the editor tells it.
    void editedContactIsShownWhereItNowBelongs()
    {
        const qint64 id = addRow(QStringLiteral("王"), QStringLiteral("五"),
                                 { { QStringLiteral("Type"), QStringLiteral("朋友") } });
        frmMain *main = logIn();
        QVERIFY(main);
        frmContacts *list = main->contactList();
        frmDetails *editor = openIn(main, id);
        control(editor, QStringLiteral("txtFirstName"))->setText(QStringLiteral("汪"));
        typeAndLeave(editor, box(editor, QStringLiteral("cmbCat(1)")), QStringLiteral("新组"));
        click(editor, QStringLiteral("Label7"));

        QTreeWidgetItem *shown = node(list, id);
        QVERIFY(shown);
        QCOMPARE(shown->text(0), QStringLiteral("汪 五"));
        QCOMPARE(shown->parent()->text(0), QStringLiteral("新组"));
        QCOMPARE(list->tree()->currentItem(), shown);
        QVERIFY(list->toolBar()->actions().at(1)->isEnabled());
        QVERIFY(list->toolBar()->actions().at(2)->isEnabled());
        QVERIFY(ContactTreeNodes::findAll(list->tree(), QStringLiteral("王 五")).isEmpty());
    }

    // The manager opened from this editor renames the group; closing keeps the new name.
    void aGroupRenamedWhileTheEditorIsOpenIsKept()
    {
        const qint64 id = addRow(QStringLiteral("王"), QStringLiteral("五"),
                                 { { QStringLiteral("Type"), QStringLiteral("朋友") } });
        frmMain *main = logIn();
        QVERIFY(main);
        frmDetails *editor = openIn(main, id);
        control(editor, QStringLiteral("txtEmail"))->setText(QStringLiteral("w@x.cn"));
        const WhenModalShown<FrmType> managerOpens([](FrmType *manager) {
            auto *lines = control<QListWidget>(manager, QStringLiteral("ListBox1"));
            lines->setCurrentItem(
                lines->findItems(QStringLiteral("朋友"), Qt::MatchExactly).first());
            control(manager, QStringLiteral("Datafiled(0)"))->setText(QStringLiteral("好友"));
            control<QPushButton>(manager, QStringLiteral("cmdUpdate"))->click();
            manager->close();
        });
        click(editor, QStringLiteral("Label10"));
        QVERIFY(managerOpens.seen());
        QCOMPARE(box(editor, QStringLiteral("cmbCat(1)"))->currentText(), QStringLiteral("好友"));
        editor->closeWindow();
        QCOMPARE(stored(id, QStringLiteral("Type")).toString(), QStringLiteral("好友"));
        QCOMPARE(stored(id, QStringLiteral("Email")).toString(), QStringLiteral("w@x.cn"));
        QCOMPARE(node(main->contactList(), id)->parent()->text(0), QStringLiteral("好友"));
    }

    // "退出" skips every closing step but loses no typed change; Ctrl+X in a box is the box's.
    void exitStoresWhatOpenEditorsHold()
    {
        const qint64 id = addRow(QStringLiteral("模板"), QStringLiteral("模板"));
        frmMain *main = logIn();
        QVERIFY(main);
        frmDetails *editor = openIn(main, id);
        control(editor, QStringLiteral("txtCity"))->setText(QStringLiteral("新公司"));
        QLineEdit *name = control(editor, QStringLiteral("txtFirstName"));
        focus(name);
        QTest::keyClick(name, Qt::Key_X, Qt::ControlModifier);
        QVERIFY(fx->app.endRequests.isEmpty());
        QVERIFY(stored(id, QStringLiteral("CompanyName")).isNull());

        control<QAction>(main, QStringLiteral("mnuExit"))->trigger();
        QCOMPARE(fx->app.endRequests.size(), 1);
        QCOMPARE(stored(id, QStringLiteral("CompanyName")).toString(), QStringLiteral("新公司"));
        QVERIFY(AppSettings::lastExpland().isEmpty());
    }

    // The store reports the failure; the editor keeps what was typed and stores it on retry.
    void failedWriteKeepsTheWindowAndTheText()
    {
        const qint64 id = addRow(QStringLiteral("王"), QStringLiteral("五"),
                                 { { QStringLiteral("Type"), QStringLiteral("朋友") } });
        frmMain *main = logIn();
        QVERIFY(main);
        frmContacts *list = main->contactList();
        frmDetails *editor = openIn(main, id);
        QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow *>(editor->parentWidget());
        control(editor, QStringLiteral("txtFirstName"))->setText(QStringLiteral("汪"));
        QVERIFY(main->DB().pragma(QStringLiteral("PRAGMA query_only = ON")));

        fx->prompts.expectMessage();
        editor->closeWindow();
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("出错啦！"));
        QVERIFY2(fx->prompts.last().text.startsWith(QStringLiteral("数据文件是只读的")),
                 qPrintable(fx->prompts.last().text));
        QVERIFY(frame && frame->isVisible());
        QCOMPARE(control(editor, QStringLiteral("txtFirstName"))->text(), QStringLiteral("汪"));
        QCOMPARE(node(list, id)->text(0), QStringLiteral("王 五"));

        QVERIFY(main->DB().pragma(QStringLiteral("PRAGMA query_only = OFF")));
        editor->closeWindow();
        QTRY_VERIFY(!frame);
        QCOMPARE(stored(id, QStringLiteral("FirstName")).toString(), QStringLiteral("汪"));
        QCOMPARE(node(list, id)->text(0), QStringLiteral("汪 五"));
    }

    // Which fields conflict is the store's rule; the editor asks, and each answer does what it
    // says.
    void aChangeOverAnotherProgramsAsksWhoseValueStays_data()
    {
        QTest::addColumn<Answer>("answer");
        QTest::addColumn<QString>("email");
        QTest::addColumn<bool>("closes");
        QTest::newRow("yes keeps mine") << Answer::Yes << QStringLiteral("mine@a.cn") << true;
        QTest::newRow("no keeps theirs") << Answer::No << QStringLiteral("theirs@b.cn") << true;
        QTest::newRow("cancel goes on editing")
            << Answer::Cancel << QStringLiteral("theirs@b.cn") << false;
    }

    void aChangeOverAnotherProgramsAsksWhoseValueStays()
    {
        QFETCH(Answer, answer);
        QFETCH(QString, email);
        const qint64 id = addRow(QStringLiteral("王"), QStringLiteral("五"),
                                 { { QStringLiteral("Type"), QStringLiteral("朋友") },
                                   { QStringLiteral("Email"), QStringLiteral("old@c.cn") } });
        frmDetails *editor = openAlone(id);
        control(editor, QStringLiteral("txtEmail"))->setText(QStringLiteral("mine@a.cn"));
        QVERIFY(RawSql::run(fx->file,
                            { QStringLiteral("UPDATE Contacts SET Email = "
                                             "'theirs@b.cn' WHERE ID = %1")
                                  .arg(id) }));
        fx->prompts.answer(answer);
        editor->closeWindow();
        QCOMPARE(fx->prompts.last().kind, ShownBox::Kind::YesNoCancel);
        QCOMPARE(
            fx->prompts.last().text,
            QStringLiteral("在您编辑期间，另一个程序也修改了这个联系人的电子邮件。\n\n"
                           "要保留您填写的内容吗？\n"
                           "选“是”保留您的内容，选“否”保留另一个程序的内容，选“取消”继续编辑。"));
        QCOMPARE(stored(id, QStringLiteral("Email")).toString(), email);
        QTEST(!editor->isVisible(), "closes");
    }

    // Which addresses may open is the link rules'; the captions hand them what is typed.
    void linkCaptionsOpenTheTypedAddress_data()
    {
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("boxName");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("opened");
        QTest::newRow("mail, typed but not stored")
            << QStringLiteral("Label11") << QStringLiteral("txtEmail")
            << QStringLiteral("neu@example.cn") << QStringLiteral("mailto:neu@example.cn");
        QTest::newRow("web without scheme")
            << QStringLiteral("Label14") << QStringLiteral("txtWebsite")
            << QStringLiteral("www.example.com") << QStringLiteral("http://www.example.com");
    }

    void linkCaptionsOpenTheTypedAddress()
    {
        QFETCH(QString, caption);
        QFETCH(QString, boxName);
        QFETCH(QString, typed);
        QFETCH(QString, opened);
        const qint64 id = addRow(QStringLiteral("王"), QStringLiteral("五"),
                                 { { QStringLiteral("Email"), QStringLiteral("alt@example.cn") } });
        frmDetails *editor = openAlone(id);
        control(editor, boxName)->setText(typed);
        click(editor, caption);
        QCOMPARE(fx->desktop.opened, QList<QUrl> { QUrl(opened) });
        QCOMPARE(stored(id, QStringLiteral("Email")).toString(), QStringLiteral("alt@example.cn"));
        QVERIFY(editor->isVisible());
    }
};

QTEST_MAIN(TestFrmDetails)
#include "tst_frmdetails.moc"
