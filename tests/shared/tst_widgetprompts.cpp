#include "shared/widgets/Prompts.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

// The real boxes: texts carry names from the data file, so markup in them is shown, not followed.
class TestWidgetPrompts : public QObject
{
    Q_OBJECT

private slots:
    void markupInATextIsShownAsText()
    {
        const QString text = QStringLiteral("您确实要删除:[<a href=\"file:///x\">x</a> 五] 吗?");
        QString shown;
        bool plain = false;
        QString noCaption;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            auto *label
                = box ? box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label")) : nullptr;
            plain = label && label->textFormat() == Qt::PlainText;
            shown = label ? label->text() : QString();
            if (box) {
                noCaption = box->button(QMessageBox::No)->text();
                box->button(QMessageBox::No)->click();
            }
        });
        WidgetPrompts prompts;
        QCOMPARE(
            prompts.askYesNo(nullptr, MessageIcon::Question, QStringLiteral("删除联系人"), text),
            Answer::No);
        QVERIFY(plain);
        QCOMPARE(shown, text);
        QCOMPARE(noCaption, QStringLiteral("否"));
    }
};

QTEST_MAIN(TestWidgetPrompts)
#include "tst_widgetprompts.moc"
