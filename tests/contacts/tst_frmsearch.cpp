#include "ContactFixture.h"
#include "GuiFixture.h"
#include "RawSql.h"
#include "contacts/ContactSearchIndex.h"
#include "contacts/widgets/FrmSearch.h"
#include "shared/Twips.h"

#include <QAction>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSignalSpy>
#include <QStringDecoder>
#include <QTreeView>
#include <QtTest>

class TestFrmSearch : public QObject
{
    Q_OBJECT

private:
    std::optional<GuiFixture> fx;
    std::unique_ptr<ContactSearchIndex> index;
    std::unique_ptr<FrmSearch> window;

    QTreeView *list() const { return window->findChild<QTreeView *>(QStringLiteral("ListView1")); }

    int rowCount() const { return list()->model()->rowCount(); }

    QModelIndex cell(int row, int column = 0) const { return list()->model()->index(row, column); }

    void trigger(const char *button)
    {
        auto *action = window->findChild<QAction *>(QLatin1String(button));
        QVERIFY2(action, button);
        action->trigger();
    }

    QStringList column(int index) const
    {
        QStringList texts;
        for (int row = 0; row < rowCount(); ++row)
            texts << cell(row, index).data().toString();
        return texts;
    }

    void clickHeading(int section)
    {
        QHeaderView *header = list()->header();
        const QPoint inside(header->sectionViewportPosition(section)
                                + header->sectionSize(section) / 2,
                            header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, inside);
    }

    QString exported() const
    {
        QFile exportedFile(fx->sandbox.path(QStringLiteral("Mylist.txt")));
        if (!exportedFile.open(QIODevice::ReadOnly))
            return {};
        QStringDecoder decode(QStringConverter::System);
        return decode(exportedFile.readAll());
    }

    // The tests run in the C locale.
    static QString closing()
    {
        return QStringLiteral("此列表由[Zorvane]自动生成\r\n生成时间：6 May 2024 09:08:07");
    }

    void addNamedContacts(const QStringList &names)
    {
        for (const QString &name : names) {
            const QStringList parts = name.split(QLatin1Char(' '));
            addContact(*fx->database(), parts.at(0), parts.at(1));
        }
    }

    void openWindow(const QString &keyText)
    {
        index = std::make_unique<ContactSearchIndex>(*fx->database());
        window = std::make_unique<FrmSearch>(*index);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        window->OpenSearch(keyText);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

private slots:
    void init() { fx.emplace(QDateTime(QDate(2024, 5, 6), QTime(9, 8, 7))); }

    void cleanup()
    {
        window.reset();
        index.reset();
        fx.reset();
    }

    // What a search finds, and in which order, is the search's; the window shows it.
    void showsTheFoundContacts()
    {
        addContact(*fx->database(), QStringLiteral("张"), QStringLiteral("三"),
                   { { QStringLiteral("Title"), QStringLiteral("经理") },
                     { QStringLiteral("CompanyName"), QStringLiteral("华信") },
                     { QStringLiteral("Data1"), QStringLiteral("13800000000") },
                     { QStringLiteral("Email"), QStringLiteral("zhang@example.cn") },
                     { QStringLiteral("Address1"), QStringLiteral("北京市") },
                     { QStringLiteral("Address2"), QStringLiteral("中山路") },
                     { QStringLiteral("Type"), QStringLiteral("同事") } });
        addNamedContacts({ QStringLiteral("李 四"), QStringLiteral("张 飞") });
        openWindow(QStringLiteral("*"));
        QCOMPARE(window->windowTitle(), QStringLiteral("搜索结果（共找到：3条记录）"));
        QCOMPARE(column(0),
                 QStringList({ QStringLiteral("张 飞"), QStringLiteral("李 四"),
                               QStringLiteral("张 三") }));
        QStringList texts;
        for (int i = 0; i < list()->model()->columnCount(); ++i)
            texts << cell(2, i).data().toString();
        QCOMPARE(
            texts,
            QStringList({ QStringLiteral("张 三"), QStringLiteral("经理"), QStringLiteral("华信"),
                          QStringLiteral("13800000000"), QStringLiteral("zhang@example.cn"),
                          QStringLiteral("北京市 中山路"), QStringLiteral("同事") }));

        window->OpenSearch(QStringLiteral("张"));
        QCOMPARE(window->windowTitle(), QStringLiteral("搜索结果（共找到：2条记录）"));
        QCOMPARE(column(0), QStringList({ QStringLiteral("张 飞"), QStringLiteral("张 三") }));
    }

    void refreshRepeatsTheLastSearch()
    {
        addNamedContacts({ QStringLiteral("张 三"), QStringLiteral("李 四") });
        openWindow(QStringLiteral("张"));
        addContact(*fx->database(), QStringLiteral("张"), QStringLiteral("飞"));
        trigger("btnRefresh");
        QCOMPARE(column(0), QStringList({ QStringLiteral("张 飞"), QStringLiteral("张 三") }));

        trigger("btnShowAll");
        QCOMPARE(rowCount(), 3);
        addContact(*fx->database(), QStringLiteral("王"), QStringLiteral("五"));
        trigger("btnRefresh");
        QCOMPARE(column(0),
                 QStringList({ QStringLiteral("王 五"), QStringLiteral("张 飞"),
                               QStringLiteral("李 四"), QStringLiteral("张 三") }));
        QCOMPARE(window->windowTitle(), QStringLiteral("搜索结果（共找到：4条记录）"));
    }

    void headingClickSortsKeepingTheSelectionAndExportFollows()
    {
        addNamedContacts({ QStringLiteral("张 三"), QStringLiteral("Bob Lee"),
                           QStringLiteral("阿 明"), QStringLiteral("王 五"),
                           QStringLiteral("李 四") });
        openWindow(QStringLiteral("*"));
        const QStringList pinyin { QStringLiteral("阿 明"), QStringLiteral("Bob Lee"),
                                   QStringLiteral("李 四"), QStringLiteral("王 五"),
                                   QStringLiteral("张 三") };
        list()->setCurrentIndex(cell(0));
        QCOMPARE(list()->currentIndex().data().toString(), QStringLiteral("李 四"));
        clickHeading(0);
        QCOMPARE(column(0), pinyin);
        const QModelIndexList selected = list()->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected.first().row(), 2);
        QCOMPARE(selected.first().data().toString(), QStringLiteral("李 四"));
        clickHeading(0);
        trigger("btnRefresh");
        QCOMPARE(column(0), pinyin);

        // The layout is the export's; the file follows the order shown.
        trigger("btnExport");
        QStringList exportedNames;
        for (const QString &line : exported().split(QStringLiteral("\r\n"))) {
            if (line.startsWith(QStringLiteral("姓名：")))
                exportedNames << line.mid(3);
        }
        QCOMPARE(exportedNames, pinyin);
        QVERIFY(exported().endsWith(closing()));
        QCOMPARE(
            fx->desktop.opened,
            QList<QUrl>({ QUrl::fromLocalFile(fx->sandbox.path(QStringLiteral("Mylist.txt"))) }));
    }

    void exportOfAnEmptyResult_data()
    {
        QTest::addColumn<QStringList>("contacts");
        QTest::addColumn<bool>("writes");
        QTest::newRow("non-empty file") << QStringList { QStringLiteral("张 三") } << true;
        QTest::newRow("file with only the template")
            << QStringList { QStringLiteral("模板 模板") } << true;
        QTest::newRow("file without contacts") << QStringList() << false;
    }

    void exportOfAnEmptyResult()
    {
        QFETCH(QStringList, contacts);
        QFETCH(bool, writes);
        addNamedContacts(contacts);
        openWindow(QStringLiteral("查无此人"));
        trigger("btnExport");
        QCOMPARE(QFileInfo::exists(fx->sandbox.path(QStringLiteral("Mylist.txt"))), writes);
        QCOMPARE(fx->desktop.opened.size(), writes ? 1 : 0);
        QVERIFY(fx->prompts.shown().isEmpty());
    }

    // The ways a write fails are the export's; the window tells it and opens nothing.
    void exportFailureIsToldAndNothingOpens()
    {
        addNamedContacts({ QStringLiteral("张 三") });
        openWindow(QStringLiteral("*"));
        ProgramFolderOverride folder(
            blockExport(fx->sandbox.programFolder(), BlockedExport::TargetIsAFolder));
        fx->prompts.expectMessage();
        trigger("btnExport");
        QCOMPARE(fx->prompts.shown().size(), 1);
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("出错啦！"));
        QCOMPARE(fx->prompts.last().icon, MessageIcon::Exclamation);
        QVERIFY2(fx->prompts.last().text.contains(QStringLiteral("Mylist.txt")),
                 qPrintable(fx->prompts.last().text));
        QVERIFY(fx->desktop.opened.isEmpty());
    }

    void opensTheChosenContact()
    {
        const qint64 li = addContact(*fx->database(), QStringLiteral("李"), QStringLiteral("四"));
        addContact(*fx->database(), QStringLiteral("张"), QStringLiteral("三"));
        openWindow(QStringLiteral("*"));
        QSignalSpy opened(window.get(), &FrmSearch::openDetailsRequested);

        trigger("btnView");
        QCOMPARE(opened.size(), 0);

        const QPoint centre = list()->visualRect(cell(1)).center();
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, centre);
        QTRY_COMPARE(opened.size(), 1);
        QCOMPARE(opened.at(0), QVariantList({ QStringLiteral("李 四"), QString::number(li) }));

        list()->setCurrentIndex(cell(0));
        trigger("btnView");
        QCOMPARE(opened.size(), 2);
        QCOMPARE(opened.at(1).at(0).toString(), QStringLiteral("张 三"));
    }

    void escapeClosesTheWindow()
    {
        ContactSearchIndex searchIndex(*fx->database());
        QMdiArea area;
        area.resize(900, 700);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QPointer<FrmSearch> search = new FrmSearch(searchIndex);
        QMdiSubWindow *frame = area.addSubWindow(search);
        search->OpenSearch(QStringLiteral("*"));
        QCOMPARE(area.activeSubWindow(), frame);
        QCOMPARE(frame->width(), Twips::toPixels(9180));
        QTest::keyClick(search->findChild<QTreeView *>(QStringLiteral("ListView1")),
                        Qt::Key_Escape);
        QTRY_VERIFY(search.isNull());
        QVERIFY(area.subWindowList().isEmpty());
    }

    void searchFailureIsTold()
    {
        addNamedContacts({ QStringLiteral("张 三") });
        openWindow(QStringLiteral("*"));
        QVERIFY(RawSql::run(fx->file, { QStringLiteral("DROP TABLE Contacts") }));
        fx->prompts.expectMessage();
        window->OpenSearch(QStringLiteral("张"));
        QCOMPARE(fx->prompts.last().caption, QStringLiteral("出错啦！"));
        QVERIFY(!fx->prompts.last().text.isEmpty());
    }
};

QTEST_MAIN(TestFrmSearch)
#include "tst_frmsearch.moc"
