#include "shared/widgets/Prompts.h"

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
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

    // Several scanned cards are chosen in one go.
    void severalFilesAreChosenAtOnce()
    {
        QTemporaryDir folder;
        for (const char *name : { "a.png", "b.png" }) {
            QFile file(folder.filePath(QString::fromLatin1(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        QTimer::singleShot(0, this, [&folder] {
            auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            dialog->setDirectory(folder.path());
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))
                ->setText(QStringLiteral("\"a.png\" \"b.png\""));
            static_cast<QDialog *>(dialog)->accept();
        });
        WidgetPrompts prompts;
        QCOMPARE(prompts.openFileNames(nullptr, { QStringLiteral("名片图片(*.png)"), {}, false }),
                 QStringList({ folder.filePath(QStringLiteral("a.png")),
                               folder.filePath(QStringLiteral("b.png")) }));
    }
};

QTEST_MAIN(TestWidgetPrompts)
#include "tst_widgetprompts.moc"
