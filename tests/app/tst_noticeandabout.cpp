#include "GuiFixture.h"
#include "app/UpdateSite.h"
#include "app/widgets/Frm_ExitSplash.h"
#include "app/widgets/frmMain.h"
#include "shared/AppSettings.h"
#include "shared/Twips.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QScreen>
#include <QtTest>

namespace {

QSize screenTwips()
{
    const QRect area = QGuiApplication::primaryScreen()->geometry();
    return QSize(Twips::fromPixels(area.width()), Twips::fromPixels(area.height()));
}

QPoint storedPosition()
{
    return QPoint(AppSettings::formSplashLeft().toInt(), AppSettings::formSplashTop().toInt());
}

QPoint pixelsOf(const QPoint &twips)
{
    return QPoint(Twips::toPixels(twips.x()), Twips::toPixels(twips.y()));
}

void sendMouse(QWidget *target, QEvent::Type type, const QPoint &global, Qt::MouseButton button,
               Qt::MouseButtons held)
{
    QMouseEvent event(type, target->mapFromGlobal(global), global, button, held, Qt::NoModifier);
    QApplication::sendEvent(target, &event);
}

// Presses on grip and moves the mouse by offset, as a user dragging the window.
void drag(QWidget *grip, const QPoint &offset)
{
    const QPoint start = grip->mapToGlobal(QPoint(2, 2));
    sendMouse(grip, QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton);
    sendMouse(grip, QEvent::MouseMove, start + offset / 2, Qt::NoButton, Qt::LeftButton);
    sendMouse(grip, QEvent::MouseMove, start + offset, Qt::NoButton, Qt::LeftButton);
    sendMouse(grip, QEvent::MouseButtonRelease, start + offset, Qt::LeftButton, Qt::NoButton);
}

} // namespace

class TestNoticeAndAbout : public QObject
{
    Q_OBJECT

private:
    std::optional<GuiFixture> fx;

private slots:
    void init() { fx.emplace(); }
    void cleanup() { fx.reset(); }

    void noticeIsPulledOntoTheScreen_data()
    {
        const QSize screen = screenTwips();
        const int centredLeft = (screen.width() - 3840) / 2;
        const int centredTop = (screen.height() - 810) / 2;
        QTest::addColumn<QVariant>("left");
        QTest::addColumn<QVariant>("top");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("first use: centred")
            << QVariant() << QVariant() << QPoint(centredLeft, centredTop);
        QTest::newRow("left of the screen") << QVariant(-300) << QVariant(1000) << QPoint(0, 1000);
        QTest::newRow("beyond the right edge") << QVariant(screen.width()) << QVariant(1000)
                                               << QPoint(screen.width() - 3840 - 5, 1000);
        QTest::newRow("beyond the bottom edge")
            << QVariant(1000) << QVariant(screen.height() + 4000)
            << QPoint(1000, screen.height() - 810);
        QTest::newRow("unreadable left")
            << QVariant(QStringLiteral("links")) << QVariant(1000) << QPoint(centredLeft, 1000);
    }

    void noticeIsPulledOntoTheScreen()
    {
        QFETCH(QVariant, left);
        QFETCH(QVariant, top);
        QFETCH(QPoint, expected);
        if (left.isValid()) {
            auto settings = fx->sandbox.openSettings();
            settings->setValue(QStringLiteral("Settings/FormSplashLeft"), left.toString());
            settings->setValue(QStringLiteral("Settings/FormSplashTop"), top.toString());
        }
        QPointer<Frm_ExitSplash> notice = new Frm_ExitSplash;
        notice->show();
        QCOMPARE(notice->pos(), pixelsOf(expected));
        QCOMPARE(notice->size(), QSize(Twips::toPixels(3840), Twips::toPixels(810)));
        notice->close();
        QTRY_VERIFY(notice.isNull());
        QCOMPARE(storedPosition(), expected);
    }

    // The surface and both labels are grips: a drag moves the notice, a double click closes it,
    // and either way it opens again where it was left.
    void noticeMovesAndClosesByAnyPart_data()
    {
        QTest::addColumn<QString>("grip");
        QTest::newRow("surface") << QStringLiteral("Frm_ExitSplash");
        QTest::newRow("Label1") << QStringLiteral("Label1");
    }

    void noticeMovesAndClosesByAnyPart()
    {
        QFETCH(QString, grip);
        QPointer<Frm_ExitSplash> notice = new Frm_ExitSplash;
        notice->setLabel1(QStringLiteral("正在导入数据...请稍候..."));
        notice->setLabel2(QStringLiteral("33 %"));
        notice->show();
        const QPoint moved = notice->pos() + QPoint(-40, 30);
        QWidget *handle
            = grip == notice->objectName() ? notice.data() : notice->findChild<QWidget *>(grip);
        drag(handle, QPoint(-40, 30));
        QCOMPARE(notice->pos(), moved);
        sendMouse(handle, QEvent::MouseButtonDblClick, handle->mapToGlobal(QPoint(3, 3)),
                  Qt::LeftButton, Qt::LeftButton);
        QTRY_VERIFY(notice.isNull());
        QCOMPARE(storedPosition(),
                 QPoint(Twips::fromPixels(moved.x()), Twips::fromPixels(moved.y())));

        auto *again = new Frm_ExitSplash;
        again->show();
        QCOMPARE(again->pos(), moved);
    }

    void aboutBoxShowsTheVersionOpensTheSiteAndClosesOnEscape()
    {
        LOG_IN(main, fx->app);
        QString version;
        QString firstLine;
        bool closedByEscape = false;
        QTimer::singleShot(0, main, [&] {
            QWidget *about = QApplication::activeModalWidget();
            QVERIFY(about);
            QCOMPARE(about->objectName(), QStringLiteral("frmAbout"));
            QCOMPARE(about->windowTitle(), QStringLiteral("关于"));
            version = about->findChild<QLabel *>(QStringLiteral("lblVer"))->text();
            auto *terms = about->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
            QVERIFY(terms->isReadOnly());
            firstLine = terms->toPlainText().section(QLatin1Char('\n'), 0, 0);
            auto *link = about->findChild<QLabel *>(QStringLiteral("Label4"));
            QVERIFY(link->text().contains(UpdateSite::makerHost()));
            QTest::mouseClick(link, Qt::LeftButton);
            QTest::keyClick(about, Qt::Key_Escape);
            closedByEscape = !about->isVisible();
        });
        main->findChild<QAction *>(QStringLiteral("aboutme"))->trigger();
        QVERIFY(closedByEscape);
        QCOMPARE(version, QStringLiteral("Zorvane Version 2.0 build 100"));
        QCOMPARE(firstLine, QStringLiteral("感谢您使用[Zorvane]"));
        QCOMPARE(fx->desktop.opened, QList<QUrl>({ UpdateSite::makerSite() }));
    }

    void helpOpensTheReadMeBesideTheProgram()
    {
        LOG_IN(main, fx->app);
        main->findChild<QAction *>(QStringLiteral("help"))->trigger();
        QCOMPARE(
            fx->desktop.opened,
            QList<QUrl>({ QUrl::fromLocalFile(fx->sandbox.path(QStringLiteral("readme.txt"))) }));
    }
};

QTEST_MAIN(TestNoticeAndAbout)
#include "tst_noticeandabout.moc"
