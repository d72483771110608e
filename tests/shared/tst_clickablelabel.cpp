#include "shared/widgets/ClickableLabel.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QtTest>

// A clickable caption answers the mouse, the keyboard and screen readers alike.
class TestClickableLabel : public QObject
{
    Q_OBJECT

private slots:
    void pressedByMouseKeyboardAndScreenReader_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("clicks");
        QTest::newRow("left click") << QStringLiteral("left click") << 1;
        QTest::newRow("right click") << QStringLiteral("right click") << 0;
        QTest::newRow("Space") << QStringLiteral("Space") << 1;
        QTest::newRow("Return") << QStringLiteral("Return") << 1;
        QTest::newRow("Enter") << QStringLiteral("Enter") << 1;
        QTest::newRow("letter") << QStringLiteral("letter") << 0;
        QTest::newRow("press action") << QStringLiteral("press action") << 1;
    }

    void pressedByMouseKeyboardAndScreenReader()
    {
        QFETCH(QString, how);
        QFETCH(int, clicks);
        ClickableLabel label(QStringLiteral("写信"));
        QSignalSpy clicked(&label, &ClickableLabel::clicked);
        if (how == QLatin1String("left click"))
            QTest::mouseClick(&label, Qt::LeftButton);
        else if (how == QLatin1String("right click"))
            QTest::mouseClick(&label, Qt::RightButton);
        else if (how == QLatin1String("Space"))
            QTest::keyClick(&label, Qt::Key_Space);
        else if (how == QLatin1String("Return"))
            QTest::keyClick(&label, Qt::Key_Return);
        else if (how == QLatin1String("Enter"))
            QTest::keyClick(&label, Qt::Key_Enter, Qt::KeypadModifier);
        else if (how == QLatin1String("letter"))
            QTest::keyClick(&label, Qt::Key_A);
        else
            QAccessible::queryAccessibleInterface(&label)->actionInterface()->doAction(
                QAccessibleActionInterface::pressAction());
        QCOMPARE(clicked.count(), clicks);
    }

    void readerSeesAButtonNamedByItsCaption()
    {
        ClickableLabel label(QStringLiteral("关闭"));
        QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(&label);
        QCOMPARE(reader->role(), QAccessible::Button);
        QCOMPARE(reader->text(QAccessible::Name), QStringLiteral("关闭"));
        QVERIFY(reader->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::pressAction()));
        QVERIFY(label.focusPolicy() & Qt::TabFocus);
        QCOMPARE(label.cursor().shape(), Qt::PointingHandCursor);
    }
};

QTEST_MAIN(TestClickableLabel)
#include "tst_clickablelabel.moc"
