#include "shared/GeneralDate.h"
#include "shared/QtTranslation.h"
#include "shared/widgets/Prompts.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <QtTest>
#include <functional>

// Dates as the system writes them, and Qt's own texts in Chinese like the program's.
class TestLocalisation : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
        QVERIFY(QtTranslation::install(QLocale()));
    }

    void generalDateIsShortDateAndZoneFreeTime_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("C") << QLocale::c() << QStringLiteral("6 May 2024 14:03:05");
        QTest::newRow("zh_CN") << QLocale(QLocale::Chinese, QLocale::China)
                               << QStringLiteral("2024/5/6 14:03:05");
        QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates)
                               << QStringLiteral("5/6/24 2:03:05 PM");
        QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany)
                               << QStringLiteral("06.05.24 14:03:05");
    }

    void generalDateIsShortDateAndZoneFreeTime()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, expected);
        const QDateTime generated(QDate(2024, 5, 6), QTime(14, 3, 5));
        QCOMPARE(GeneralDate::text(generated, locale), expected);
    }

    void qtTextsAreChineseOnlyForAChineseLocale()
    {
        QCOMPARE(QCoreApplication::translate("QLineEdit", "&Undo"), QStringLiteral("撤消(&U)"));
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Open"), QStringLiteral("打开"));
        QVERIFY(!QtTranslation::install(QLocale(QLocale::German, QLocale::Germany)));
    }

    void boxesShowChineseButtons_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("captions");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<int>("answer");
        QTest::newRow("message") << QStringLiteral("message")
                                 << QStringList { QStringLiteral("确定") } << int(QMessageBox::Ok)
                                 << int(Answer::Ok);
        QTest::newRow("yes or no") << QStringLiteral("yes/no")
                                   << QStringList { QStringLiteral("是"), QStringLiteral("否") }
                                   << int(QMessageBox::No) << int(Answer::No);
        QTest::newRow("yes, no or cancel")
            << QStringLiteral("yes/no/cancel")
            << QStringList { QStringLiteral("是"), QStringLiteral("否"), QStringLiteral("取消") }
            << int(QMessageBox::Cancel) << int(Answer::Cancel);
    }

    void boxesShowChineseButtons()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, captions);
        QFETCH(int, clicked);
        QFETCH(int, answer);
        QStringList shown;
        QTimer::singleShot(0, this, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            QVERIFY(box);
            for (QAbstractButton *button : box->buttons())
                shown << button->text();
            box->button(QMessageBox::StandardButton(clicked))->click();
        });
        WidgetPrompts prompts;
        const QString caption = QStringLiteral("出错啦");
        const QString text = QStringLiteral("确定要删除吗？");
        Answer given = Answer::Ok;
        if (kind == QLatin1String("message"))
            prompts.message(nullptr, MessageIcon::Information, caption, text);
        else if (kind == QLatin1String("yes/no"))
            given = prompts.askYesNo(nullptr, MessageIcon::Question, caption, text);
        else
            given = prompts.askYesNoCancel(nullptr, MessageIcon::Question, caption, text);
        shown.sort();
        captions.sort();
        QCOMPARE(shown, captions);
        QCOMPARE(int(given), answer);
    }
};

QTEST_MAIN(TestLocalisation)
#include "tst_localisation.moc"
