#include "../contacts/ContactFixture.h"
#include "FindControl.h"
#include "GuiFixture.h"
#include "StoredContacts.h"
#include "WhenModalShown.h"
#include "app/widgets/frmMain.h"
#include "cards/CardProjection.h"
#include "cards/CardReader.h"
#include "cards/CardStore.h"
#include "cards/CardWriter.h"
#include "contacts/widgets/frmDetails.h"
#include "scan/QrCard.h"
#include "scan/widgets/QrCodeDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QtTest>

namespace {

// A phone's contact with more than the row holds: a fifth number with its own label, a second
// e-mail, a home address beside the work one, a birthday and a nickname.
const QByteArray phoneCard = "BEGIN:VCARD\r\n"
                             "VERSION:3.0\r\n"
                             "N:张;三;;;\r\n"
                             "FN:张三\r\n"
                             "ORG:华晨科技\r\n"
                             "TEL;TYPE=CELL:138 0013 8000\r\n"
                             "TEL;TYPE=WORK:010-6552 8888\r\n"
                             "TEL;TYPE=FAX:010-6552 8889\r\n"
                             "TEL;TYPE=HOME:010-8888 0000\r\n"
                             "item1.TEL:139 0000 1111\r\n"
                             "item1.X-ABLabel:备用\r\n"
                             "EMAIL;TYPE=WORK:zs@huachen.cn\r\n"
                             "EMAIL;TYPE=HOME:zs@home.cn\r\n"
                             "ADR;TYPE=WORK:;;建国路88号;北京;;100022;中国\r\n"
                             "ADR;TYPE=HOME:;;望京街1号;北京;;100102;中国\r\n"
                             "BDAY:1980-04-15\r\n"
                             "NICKNAME:小张\r\n"
                             "END:VCARD\r\n";

QVariantMap rowFields(const ContactRecord &row)
{
    QVariantMap fields { { "FirstName", row.firstName }, { "LastName", row.lastName },
                         { "Type", row.type },           { "CompanyName", row.companyName },
                         { "Address1", row.address1 },   { "Address2", row.address2 },
                         { "Postcode", row.postcode },   { "Email", row.email } };
    for (int i = 0; i < 4; ++i) {
        fields.insert(QStringLiteral("Data%1").arg(i + 1), row.numbers[i]);
        fields.insert(QStringLiteral("Combo%1").arg(i + 1), row.labels[i]);
    }
    return fields;
}

QStringList tableRows(const QTableWidget *table)
{
    QStringList rows;
    for (int row = 0; row < table->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < table->columnCount(); ++column)
            cells << table->item(row, column)->text();
        rows << cells.join(u'|');
    }
    return rows;
}

int rowOf(const QTableWidget *table, const QString &text)
{
    for (int row = 0; row < table->rowCount(); ++row) {
        if (table->item(row, 2)->text() == text)
            return row;
    }
    return -1;
}

} // namespace

// The editor's "更多" tab: the kept card's other values, changed property by property and stored
// with the row or not at all, and the contact shown as a QR code.
class tst_MorePage : public QObject
{
    Q_OBJECT

private:
    std::optional<GuiFixture> fx;
    qint64 id = 0;

    // The contact's card as the data file keeps it, written as 3.0.
    QByteArray exported()
    {
        Database *database = fx->database();
        const auto row = ContactStore(*database).load(id);
        const auto kept = CardStore(*database).keptBytes(id);
        if (!row || !kept)
            return {};
        return CardWriter::write(CardStore::cardFor(row.value(), kept.value()), CardVersion::V30);
    }

    QByteArray keptBytes() { return CardStore(*fx->database()).keptBytes(id).value(); }

    frmDetails *openEditor()
    {
        frmMain *main = fx->app.logIn();
        if (!main)
            return nullptr;
        main->activateWindow();
        if (!QTest::qWaitForWindowActive(main))
            return nullptr;
        auto *editor = new frmDetails(main->DB(), id);
        main->mdiArea()->setActiveSubWindow(main->showChild(editor));
        auto *tabs = control<QTabWidget>(editor, QStringLiteral("SSTab1"));
        tabs->setCurrentIndex(tabs->count() - 1);
        return editor;
    }

    static void typeInto(QTableWidget *table, int row, const QString &text)
    {
        table->setCurrentCell(row, 2);
        table->setFocus();
        QTest::keyClick(table, Qt::Key_F2);
        QTRY_VERIFY(QApplication::focusWidget()
                    && QApplication::focusWidget()->parentWidget() == table->viewport());
        QWidget *box = QApplication::focusWidget();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QCoreApplication::sendEvent(box, &commit);
        QTest::keyClick(box, Qt::Key_Return);
        QTRY_COMPARE(table->item(row, 2)->text(), text);
    }

    static void closeAndWait(frmDetails *editor)
    {
        QPointer<QMdiSubWindow> frame = qobject_cast<QMdiSubWindow *>(editor->parentWidget());
        editor->closeWindow();
        QTRY_VERIFY(!frame);
    }

private slots:
    void init()
    {
        fx.emplace();
        Database *database = fx->database();
        QVERIFY(database);
        const Card card = CardReader::readAll(phoneCard).value(0);
        id = addContact(*database, rowFields(CardProjection::project(card)));
        QVERIFY(CardStore(*database).keep(id, card));
    }

    void cleanup() { fx.reset(); }

    void changedAndRemovedValuesReachOnlyTheirProperties()
    {
        const QVariantList row = StoredContacts::row(fx->file, id);
        const QByteArray before = exported();
        frmDetails *editor = openEditor();
        QVERIFY(editor);
        auto *table = control<QTableWidget>(editor, QStringLiteral("tblCardValues"));
        QCOMPARE(tableRows(table),
                 QStringList({ QStringLiteral("电话|备用|139 0000 1111"),
                               QStringLiteral("电子邮件|HOME|zs@home.cn"),
                               QStringLiteral("地址|HOME|望京街1号;北京;;100102;中国"),
                               QStringLiteral("生日||1980-04-15"), QStringLiteral("昵称||小张") }));

        typeInto(table, rowOf(table, QStringLiteral("小张")), QStringLiteral("张工"));
        table->setCurrentCell(rowOf(table, QStringLiteral("zs@home.cn")), 0);
        control<QPushButton>(editor, QStringLiteral("cmdRemoveValue"))->click();
        closeAndWait(editor);

        QCOMPARE(StoredContacts::row(fx->file, id), row);
        QByteArray expected = before;
        expected.replace("NICKNAME:小张\r\n", "NICKNAME:张工\r\n");
        expected.replace("EMAIL;TYPE=HOME:zs@home.cn\r\n", "");
        QVERIFY(expected != before);
        QCOMPARE(exported(), expected);
    }

    // The row stays the card's view, so a value the row shows next is never taken for emptied.
    void theRowShowsTheCardsNextValue_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("rowValue");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("e-mail emptied in the row")
            << QStringLiteral("txtEmail") << QStringLiteral("Email") << QStringLiteral("zs@home.cn")
            << QByteArray("\r\nEMAIL;TYPE=HOME:zs@home.cn\r\n");
        QTest::newRow("fourth number emptied in the row")
            << QStringLiteral("txtData4") << QStringLiteral("Combo4") << QStringLiteral("备用")
            << QByteArray("\r\nitem1.TEL:139 0000 1111\r\nitem1.X-ABLabel:备用\r\n");
        QTest::newRow("messaging added on the tab")
            << QString() << QStringLiteral("Email") << QStringLiteral("zs@huachen.cn")
            << QByteArray("\r\nIMPP:qq:10001\r\n");
    }

    void theRowShowsTheCardsNextValue()
    {
        QFETCH(QString, action);
        QFETCH(QString, column);
        QFETCH(QString, rowValue);
        QFETCH(QByteArray, line);
        frmDetails *editor = openEditor();
        QVERIFY(editor);
        if (action.isEmpty()) {
            auto *kind = control<QComboBox>(editor, QStringLiteral("cmbValueKind"));
            kind->setCurrentIndex(kind->findText(QStringLiteral("即时通讯")));
            control<QPushButton>(editor, QStringLiteral("cmdAddValue"))->click();
            auto *table = control<QTableWidget>(editor, QStringLiteral("tblCardValues"));
            QTRY_VERIFY(QApplication::focusWidget()
                        && QApplication::focusWidget()->parentWidget() == table->viewport());
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("qq:10001"));
            // Closed while still typing: what was typed is kept.
        } else {
            control(editor, action)->clear();
        }
        closeAndWait(editor);

        QCOMPARE(StoredContacts::field(fx->file, id, column).toString(), rowValue);
        const QByteArray card = exported();
        QVERIFY2(card.contains(line), card.constData());
        QCOMPARE(card.count("\r\nTEL"), action == QLatin1String("txtData4") ? 3 : 4);
    }

    // Nothing of the tab is written unless the row is, and the row not unless the card is.
    void aRefusedSaveWritesNothing_data()
    {
        QTest::addColumn<bool>("blankName");
        QTest::addColumn<QString>("message");
        QTest::newRow("name left blank")
            << true << QStringLiteral("姓名为必填信息，请不要省略哦！");
        QTest::newRow("card refused by the file") << false << QStringLiteral("refused");
    }

    void aRefusedSaveWritesNothing()
    {
        QFETCH(bool, blankName);
        QFETCH(QString, message);
        const QVariantList row = StoredContacts::row(fx->file, id);
        const QByteArray kept = keptBytes();
        frmDetails *editor = openEditor();
        QVERIFY(editor);
        auto *table = control<QTableWidget>(editor, QStringLiteral("tblCardValues"));
        table->setCurrentCell(rowOf(table, QStringLiteral("小张")), 0);
        control<QPushButton>(editor, QStringLiteral("cmdRemoveValue"))->click();
        control(editor, QStringLiteral("txtCity"))->setText(QStringLiteral("新公司"));
        if (blankName)
            control(editor, QStringLiteral("txtFirstName"))->clear();
        else
            QVERIFY(fx->database()->execute(
                QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON ContactCards "
                               "BEGIN SELECT RAISE(ABORT, 'refused'); END")));

        fx->prompts.expectMessage();
        editor->closeWindow();
        QVERIFY2(fx->prompts.last().text.contains(message), qPrintable(fx->prompts.last().text));
        QCOMPARE(StoredContacts::row(fx->file, id), row);
        QCOMPARE(keptBytes(), kept);
    }

    void qrCodeDecodesToTheContact_data()
    {
        QTest::addColumn<QString>("notes");
        QTest::addColumn<QString>("dropped");
        QTest::newRow("fits") << QString() << QString();
        QTest::newRow("long notes left out")
            << QString(1500, QChar(u'记'))
            << QStringLiteral("二维码放不下全部内容，已省去：备注。");
    }

    void qrCodeDecodesToTheContact()
    {
        QFETCH(QString, notes);
        QFETCH(QString, dropped);
        frmDetails *editor = openEditor();
        QVERIFY(editor);
        control<QPlainTextEdit>(editor, QStringLiteral("txtNotes"))->setPlainText(notes);
        QImage image;
        QString droppedText;
        WhenModalShown<QrCodeDialog> shown([&](QrCodeDialog *dialog) {
            image = dialog->image();
            const auto *label = control<QLabel>(dialog, QStringLiteral("lblDropped"));
            droppedText = label->isVisibleTo(dialog) ? label->text() : QString();
            control<QPushButton>(dialog, QStringLiteral("cmdClose"))->click();
        });
        control<QPushButton>(editor, QStringLiteral("cmdQrCode"))->click();
        QVERIFY(shown.seen());
        QCOMPARE(droppedText, dropped);

        const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
        const cv::Mat picture(grey.height(), grey.width(), CV_8UC1,
                              const_cast<uchar *>(grey.constBits()), size_t(grey.bytesPerLine()));
        const Card card = CardReader::readAll(QrCard::find(picture)).value(0);
        const ContactRecord decoded = CardProjection::project(card);
        QCOMPARE(decoded.firstName, QStringLiteral("张"));
        QCOMPARE(decoded.lastName, QStringLiteral("三"));
        QCOMPARE(decoded.numbers[0], QStringLiteral("138 0013 8000"));
        QCOMPARE(decoded.labels[0], QStringLiteral("手机"));
        QCOMPARE(card.all(QStringLiteral("TEL")).size(), 5);
    }
};

QTEST_MAIN(tst_MorePage)
#include "tst_morepage.moc"
