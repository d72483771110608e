#include "GuiFixture.h"
#include "LocalHttpServer.h"
#include "app/UpdateInfo.h"
#include "app/widgets/FrmUpdate.h"
#include "shared/Twips.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

// What the user is told whenever the update information cannot be had.
const QString failureText = QStringLiteral("获取更新信息失败...请稍候再试...");

namespace {

const QString updatePath = QStringLiteral("/update.txt");
const QUrl makerSite(QStringLiteral("http://www.zorvane.com/"));

} // namespace

class TestFrmUpdate : public QObject
{
    Q_OBJECT

private:
    std::optional<GuiFixture> m_fx;
    std::unique_ptr<LocalHttpServer> m_server;
    std::unique_ptr<QMdiArea> m_area;
    QPointer<FrmUpdate> m_form;

    // Opens the window as the main window will, or on its own; returns the form.
    FrmUpdate *openWindow(bool inMdiArea)
    {
        m_form = new FrmUpdate;
        if (inMdiArea) {
            m_area = std::make_unique<QMdiArea>();
            m_area->resize(800, 600);
            m_area->addSubWindow(m_form)->show();
            m_area->show();
        } else {
            m_form->show();
        }
        return m_form;
    }

    QPlainTextEdit *text1(FrmUpdate *form) const
    {
        return form->findChild<QPlainTextEdit *>(QStringLiteral("Text1"));
    }

    static void addPlacements()
    {
        QTest::addColumn<bool>("inMdiArea");
        QTest::newRow("in the main window") << true;
        QTest::newRow("on its own") << false;
    }

    void waitForResult(FrmUpdate *form)
    {
        QTRY_VERIFY(!text1(form)->toPlainText().startsWith(QStringLiteral("正在获取更新信息")));
    }

private slots:
    void init()
    {
        m_fx.emplace();
        m_server = std::make_unique<LocalHttpServer>();
        qputenv("ZORVANE_UPDATE_URL", m_server->url(updatePath).toEncoded());
    }

    void cleanup()
    {
        delete m_form;
        m_area.reset();
        qunsetenv("ZORVANE_UPDATE_URL");
        m_server.reset();
        m_fx.reset();
    }

    void showsResultOfCheck_data()
    {
        QTest::addColumn<QByteArray>("served");
        QTest::addColumn<QString>("text");

        QTest::newRow("newer")
            << QStringLiteral("Zorvane||20101||http://x/z.zip||-||修正了排序\r\n新增提醒updateinfo")
                   .toUtf8()
            << QStringLiteral("[Zorvane]有更新版本V20 Builder0101\n下载地址：http://x/z.zip\n"
                              "-----------------------修正了排序\n新增提醒updateinfo");
        QTest::newRow("not found") << QByteArray() << failureText;
    }

    void showsResultOfCheck()
    {
        QFETCH(QByteArray, served);
        if (!served.isEmpty())
            m_server->serve(updatePath, served);

        FrmUpdate *form = openWindow(true);
        QCOMPARE(text1(form)->toPlainText(), QStringLiteral("正在获取更新信息...请稍候...\n"));

        QFETCH(QString, text);
        QTRY_COMPARE(text1(form)->toPlainText(), text);
        QCOMPARE(m_server->requested(), QList<QString> { updatePath });
    }

    void downloadLinkOpensTheAnnouncedAddress()
    {
        const QString address = QStringLiteral("https://dl.zorvane.com/zorvane-2.1.zip");
        m_server->serve(
            updatePath,
            QStringLiteral("Zorvane||20101||%1||-||新版本 updateinfo").arg(address).toUtf8());
        FrmUpdate *form = openWindow(true);
        waitForResult(form);
        QVERIFY(text1(form)->toPlainText().contains(QStringLiteral("下载地址：") + address));

        QTest::mouseClick(form->findChild<QLabel *>(QStringLiteral("Label2")), Qt::LeftButton);

        QCOMPARE(m_fx->desktop.opened, QList<QUrl> { QUrl(address) });
    }

    void downloadLinkBeforeAnswer()
    {
        LocalHttpServer::Answer silence;
        silence.respond = false;
        m_server->serve(updatePath, silence);
        FrmUpdate *form = openWindow(true);
        QTRY_COMPARE(m_server->requested(), QList<QString> { updatePath });

        QTest::keyClick(form->findChild<QLabel *>(QStringLiteral("Label2")), Qt::Key_Space);

        QCOMPARE(m_fx->desktop.opened, QList<QUrl> { makerSite });
        QCOMPARE(text1(form)->toPlainText(), QStringLiteral("正在获取更新信息...请稍候...\n"));
    }

    // The triangle shows and hides the details, by mouse or keyboard.
    void triangleTogglesHeight()
    {
        FrmUpdate *form = openWindow(true);
        auto *triangle = form->findChild<QLabel *>(QStringLiteral("Label3"));
        QCOMPARE(form->parentWidget()->height(), Twips::toPixels(1830));
        QTest::mouseClick(triangle, Qt::LeftButton);
        QCOMPARE(form->parentWidget()->height(), Twips::toPixels(3750));
        QTest::keyClick(triangle, Qt::Key_Return);
        QCOMPARE(form->parentWidget()->height(), Twips::toPixels(1830));
    }

    void closeButtonClosesWindow_data() { addPlacements(); }

    void closeButtonClosesWindow()
    {
        QFETCH(bool, inMdiArea);
        LocalHttpServer::Answer silence;
        silence.respond = false;
        m_server->serve(updatePath, silence);
        FrmUpdate *form = openWindow(inMdiArea);
        QPointer<QWidget> window = inMdiArea ? form->parentWidget() : form;
        QTRY_COMPARE(m_server->requested().size(), 1);

        QTest::mouseClick(form->findChild<QPushButton *>(QStringLiteral("cmdOk")), Qt::LeftButton);

        QTRY_VERIFY(!window);
        QVERIFY(!m_form);
        if (inMdiArea)
            QVERIFY(m_area->subWindowList().isEmpty());
    }
};

QTEST_MAIN(TestFrmUpdate)
#include "tst_frmupdate.moc"
