#include "CardPictures.h"
#include "GuiFixture.h"
#include "RawSql.h"
#include "app/widgets/frmMain.h"
#include "contacts/widgets/frmDetails.h"
#include "scan/widgets/CardPictureView.h"
#include "scan/widgets/ScanReviewFields.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

// The scan review window opened the ways a user opens it, and what its buttons leave in the file.
class tst_FrmScanReview : public QObject
{
    Q_OBJECT

    std::optional<GuiFixture> fx;

    QString cardImage(const QString &name, const QString &title, const QStringList &lines)
    {
        CardPictures::Design design;
        design.name = QStringLiteral("周婷");
        design.title = title;
        design.headLines = { QStringLiteral("杭州远山贸易有限公司") };
        design.lines = lines;
        const QString path = fx->sandbox.path(name);
        QFile image(path);
        if (image.open(QIODevice::WriteOnly))
            image.write(CardPictures::png(CardPictures::printed(design)));
        return path;
    }

    static void drop(frmMain *main, const QString &path)
    {
        QMimeData data;
        data.setUrls({ QUrl::fromLocalFile(path) });
        const QPoint at = main->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(main, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(main, &dropped);
    }

    QList<QVariantList> stored() const
    {
        return RawSql::rows(fx->file,
                            QStringLiteral("SELECT Title, Type, CompanyName, Combo1, Data1, Email, "
                                           "Website FROM Contacts WHERE FirstName = '周'"));
    }

private slots:
    void init() { fx.emplace(); }
    void cleanup() { fx.reset(); }

    void savedThenOfferedAsUpdateThenSkipped()
    {
        LOG_IN(main, fx->app);
        fx->prompts.chooseFile(cardImage(QStringLiteral("front.png"), QStringLiteral("财务经理"),
                                         { QStringLiteral("手机：139 0571 2468"),
                                           QStringLiteral("邮箱：zhouting@yuanshan.com") }));
        main->findChild<QAction *>(QStringLiteral("ScanCards"))->trigger();
        QMdiSubWindow *window = main->childWindow(QStringLiteral("FrmScanReview"));
        QVERIFY(window);
        QWidget *review = window->widget();
        const auto control = [review](const char *name) {
            return review->findChild<QWidget *>(QString::fromLatin1(name));
        };
        auto *given = qobject_cast<QLineEdit *>(control("txtLastName"));
        QTRY_COMPARE_WITH_TIMEOUT(given->text(), QStringLiteral("婷"), 60000);
        QVERIFY(control("fraExisting")->isHidden());

        auto *title = qobject_cast<QLineEdit *>(control("txtTitle"));
        // The field's line is marked on the picture.
        QFocusEvent focused(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(title, &focused);
        const QRect box = dynamic_cast<CardPictureView *>(control("picCard"))->highlight();
        QVERIFY2(box.width() > 100 && box.height() > 10, qPrintable(QDebug::toString(box)));
        title->selectAll();
        QInputMethodEvent typed;
        typed.setCommitString(QStringLiteral("财务总监"));
        QApplication::sendEvent(title, &typed);
        auto *group = qobject_cast<QComboBox *>(control("cmbGroup"));
        group->setCurrentText(QStringLiteral("朋友"));
        // The back of the card, chosen by the user, is kept beside the front.
        fx->prompts.chooseFile(
            cardImage(QStringLiteral("back.png"), QStringLiteral("Manager"), {}));
        qobject_cast<QPushButton *>(control("cmdBack"))->click();
        qobject_cast<QPushButton *>(control("cmdSave"))->click();
        QCOMPARE(stored(),
                 QList<QVariantList>({ { "财务总监", "朋友", "杭州远山贸易有限公司", "手机",
                                         "139 0571 2468", "zhouting@yuanshan.com", "" } }));
        QCOMPARE(RawSql::rows(fx->file,
                              QStringLiteral("SELECT Side, Format, length(Image) > 1000 "
                                             "FROM CardImages ORDER BY Side")),
                 QList<QVariantList>({ { 0, "png", 1 }, { 1, "png", 1 } }));
        const qint64 id
            = RawSql::value(fx->file,
                            QStringLiteral("SELECT ID FROM Contacts WHERE FirstName = '周'"))
                  .toLongLong();
        // The pictures show on the contact editor's "更多" tab.
        const frmDetails editor(main->DB(), id);
        QVERIFY(!editor.findChild<QLabel *>(QStringLiteral("imgCardFront"))->pixmap().isNull());
        QVERIFY(!editor.findChild<QLabel *>(QStringLiteral("imgCardBack"))->pixmap().isNull());
        QVERIFY(editor.findChild<QLabel *>(QStringLiteral("lblNoCardImage"))->isHidden());
        QVERIFY(RawSql::value(fx->file, QStringLiteral("SELECT Card FROM ContactCards"))
                    .toString()
                    .contains(QStringLiteral("TITLE:财务总监")));

        // The same person with a web site: an update that fills the empty field and keeps the
        // title the user chose, the printed one going into the kept card.
        drop(main,
             cardImage(QStringLiteral("again.png"), QStringLiteral("财务经理"),
                       { QStringLiteral("手机：139 0571 2468"),
                         QStringLiteral("网址：www.yuanshan.com") }));
        QTRY_VERIFY_WITH_TIMEOUT(!control("fraExisting")->isHidden(), 60000);
        QVERIFY(qobject_cast<QRadioButton *>(control("optUpdate"))->isChecked());
        QCOMPARE(qobject_cast<QGroupBox *>(control("fraExisting"))->title(),
                 QStringLiteral("“周 婷”已在数据文件中"));
        qobject_cast<QPushButton *>(control("cmdSave"))->click();
        QCOMPARE(stored(),
                 QList<QVariantList>(
                     { { "财务总监", "朋友", "杭州远山贸易有限公司", "手机", "139 0571 2468",
                         "zhouting@yuanshan.com", "www.yuanshan.com" } }));
        const QString card
            = RawSql::value(fx->file, QStringLiteral("SELECT Card FROM ContactCards")).toString();
        QVERIFY2(card.contains(QStringLiteral("财务经理")), qPrintable(card));

        // A third time, skipped: nothing is written.
        const QList<QVariantList> before = RawSql::everything(fx->file);
        const QVariant pictures
            = RawSql::value(fx->file, QStringLiteral("SELECT COUNT(*) FROM CardImages"));
        drop(main,
             cardImage(QStringLiteral("third.png"), QStringLiteral("董事"),
                       { QStringLiteral("邮箱：zhouting@yuanshan.com") }));
        QTRY_VERIFY_WITH_TIMEOUT(!control("fraExisting")->isHidden(), 60000);
        qobject_cast<QPushButton *>(control("cmdSkip"))->click();
        QVERIFY(!control("cmdSave")->isEnabled());
        QCOMPARE(RawSql::everything(fx->file), before);
        QCOMPARE(RawSql::value(fx->file, QStringLiteral("SELECT COUNT(*) FROM CardImages")),
                 pictures);
    }

    // A field the reader was unsure of asks to be checked until the user types in it.
    void unsureFieldsAreMarkedUntilEdited()
    {
        ScanResult scan;
        scan.title = { QStringLiteral("总监"), 0.5, QRect(10, 20, 200, 30) };
        scan.companyName = { QStringLiteral("远山贸易有限公司"), 0.95, QRect(10, 60, 300, 30) };
        ScanReviewFields fields;
        ContactRecord row;
        row.title = scan.title.text;
        row.companyName = scan.companyName.text;
        fields.load(scan, row);
        auto *title = fields.findChild<QLineEdit *>(QStringLiteral("txtTitle"));
        auto *company = fields.findChild<QLineEdit *>(QStringLiteral("txtCity"));
        QCOMPARE(title->accessibleDescription(), QStringLiteral("待确认"));
        QCOMPARE(company->accessibleDescription(), QString());
        QInputMethodEvent typed;
        typed.setCommitString(QStringLiteral("副"));
        QApplication::sendEvent(title, &typed);
        QCOMPARE(title->accessibleDescription(), QString());
        QCOMPARE(fields.reviewed().title, QStringLiteral("总监副"));
    }
};

QTEST_MAIN(tst_FrmScanReview)
#include "tst_frmscanreview.moc"
