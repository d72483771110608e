#include "LocalHttpServer.h"
#include "RefusingPort.h"
#include "TestSandbox.h"
#include "app/UpdateCheck.h"
#include "app/UpdateInfo.h"
#include "app/UpdateSite.h"

#include <QtTest>

// What the user is told whenever the update information cannot be had.
const QString failureText = QStringLiteral("获取更新信息失败...请稍候再试...");

using Outcome = UpdateReading::Outcome;

namespace {

const QString updatePath = QStringLiteral("/software/update/zorvaneupdate.txt");
const QString address = QStringLiteral("http://www.zorvane.com/download/zorvane21.zip");
const QString dashes = QStringLiteral("-----------------------");
const QString upToDate = QStringLiteral("您使用的是最新版的Zorvane：V20 Builder0100");

// "名片管家||20101||http://x/z.zip||-||修正updateinfo" in the Chinese national code page.
const QByteArray gbkUpdate = QByteArray::fromHex("c3fbc6acb9dcbcd2")
    + "||20101||http://x/z.zip||-||" + QByteArray::fromHex("d0ded5fd") + "updateinfo";

QByteArray bodyOfSize(qsizetype size)
{
    QByteArray body = "Zorvane||20100||http://x/z.zip||-||updateinfo ";
    return body.leftJustified(size, 'x');
}

void setUpServer(LocalHttpServer &server, const QString &kind)
{
    LocalHttpServer::Answer answer;
    if (kind == QLatin1String("gbk without charset")) {
        answer.body = gbkUpdate;
    } else if (kind == QLatin1String("404")) {
        return;
    } else if (kind == QLatin1String("500 with update text")) {
        answer.status = 500;
        answer.body = "Zorvane||20200||http://x/z.zip||-||updateinfo";
    } else if (kind == QLatin1String("not update information")) {
        answer.contentType = "text/html";
        answer.body = "<html><body>Welcome to our shop</body></html>";
    } else if (kind == QLatin1String("largest accepted")) {
        answer.body = bodyOfSize(UpdateFetcher::maxBodySize);
    } else if (kind == QLatin1String("oversized, announced")) {
        answer.body = bodyOfSize(UpdateFetcher::maxBodySize + 1);
    } else if (kind == QLatin1String("oversized, not announced")) {
        answer.body = bodyOfSize(4 * UpdateFetcher::maxBodySize);
        answer.announceLength = false;
    } else if (kind == QLatin1String("redirect to web")) {
        answer.status = 302;
        answer.headers = "Location: /moved.txt\r\n";
        server.serve(QStringLiteral("/moved.txt"),
                     QByteArray("Zorvane||20100||http://x/z.zip||-||updateinfo"));
    } else if (kind == QLatin1String("redirect to file")) {
        answer.status = 302;
        answer.headers = "Location: file:///etc/passwd\r\n";
    } else if (kind == QLatin1String("redirect loop")) {
        answer.status = 302;
        answer.headers = "Location: " + updatePath.toLatin1() + "\r\n";
    }
    server.serve(updatePath, answer);
}

} // namespace

class TestUpdateCheck : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TestSandbox> m_sandbox;

    QString runCheck(UpdateCheck &check, const QUrl &url)
    {
        QString result;
        connect(&check, &UpdateCheck::resultReady, this,
                [&result](const QString &text) { result = text; });
        check.start(url);
        [&] { QTRY_VERIFY_WITH_TIMEOUT(!result.isEmpty(), 10000); }();
        check.disconnect(this);
        return result;
    }

private slots:
    void init() { m_sandbox = std::make_unique<TestSandbox>(); }

    void cleanup() { m_sandbox.reset(); }

    void reading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("previousAddress");
        QTest::addColumn<Outcome>("outcome");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("downloadAddress");

        const QString old = QStringLiteral("http://old.zorvane.com/z20.zip");
        const QString newer = QStringLiteral("[Zorvane]有更新版本V20 Builder0101\n下载地址：");

        QTest::newRow("equal version")
            << QStringLiteral("Zorvane||20100||%1||-||修正了排序||updateinfo").arg(address)
            << QString() << Outcome::UpToDate << upToDate << address;
        QTest::newRow("greater version")
            << QStringLiteral("Zorvane||20101||%1||-||修正了排序\n新增提醒||updateinfo")
                   .arg(address)
            << QString() << Outcome::NewerVersion
            << newer + address + QStringLiteral("\n") + dashes
                + QStringLiteral("修正了排序\n新增提醒")
            << address;
        QTest::newRow("smaller version")
            << QStringLiteral("Zorvane||20099||%1||-||updateinfo").arg(address) << QString()
            << Outcome::UpToDate << upToDate << address;
        QTest::newRow("marker in the product name")
            << QStringLiteral("updateinfo:Zorvane||30000||%1||-||说明").arg(address) << QString()
            << Outcome::NewerVersion
            << QStringLiteral("[updateinfo:Zorvane]有更新版本V30 Builder0000\n下载地址：") + address
                + QStringLiteral("\n") + dashes + QStringLiteral("说明")
            << address;
        QTest::newRow("no marker") << QStringLiteral("Zorvane||20101||%1||-||说明").arg(address)
                                   << old << Outcome::NotUpdateInformation << failureText << old;
        QTest::newRow("marker in capitals")
            << QStringLiteral("UPDATEINFO Zorvane||20101||%1").arg(address) << QString()
            << Outcome::NotUpdateInformation << failureText << QString();
        QTest::newRow("empty text")
            << QString() << old << Outcome::NotUpdateInformation << failureText << old;
        QTest::newRow("only field 0")
            << QStringLiteral("updateinfo Zorvane") << old << Outcome::UpToDate
            << QStringLiteral("您使用的是最新版的updateinfo Zorvane：V20 Builder0100") << old;
        QTest::newRow("no field 2 keeps the address")
            << QStringLiteral("Zorvane updateinfo||20101") << old << Outcome::NewerVersion
            << QStringLiteral("[Zorvane updateinfo]有更新版本V20 Builder0101\n下载地址：") + old
                + QStringLiteral("\n")
            << old;
        QTest::newRow("no field 2 on the first check")
            << QStringLiteral("Zorvane updateinfo||20101") << QString() << Outcome::NewerVersion
            << QStringLiteral("[Zorvane updateinfo]有更新版本V20 Builder0101\n下载地址：\n")
            << QString();
        QTest::newRow("no field 4")
            << QStringLiteral("Zorvane||20101||%1||updateinfo").arg(address) << QString()
            << Outcome::NewerVersion << newer + address + QStringLiteral("\n") << address;
        QTest::newRow("empty field 4")
            << QStringLiteral("Zorvane||20101||%1||updateinfo||").arg(address) << QString()
            << Outcome::NewerVersion << newer + address + QStringLiteral("\n") + dashes << address;
        QTest::newRow("fields untrimmed")
            << QStringLiteral(" Zorvane || 20101 || http://x/z.zip ||-|| 说明 updateinfo")
            << QString() << Outcome::NewerVersion
            << QStringLiteral("[ Zorvane ]有更新版本V20 Builder0101\n下载地址： http://x/z.zip \n")
                + dashes + QStringLiteral(" 说明 updateinfo")
            << QStringLiteral(" http://x/z.zip ");
        QTest::newRow("three bars")
            << QStringLiteral("updateinfo Zorvane|||20101") << QString() << Outcome::UpToDate
            << QStringLiteral("您使用的是最新版的updateinfo Zorvane：V20 Builder0100") << QString();
        QTest::newRow("version with blanks and leading zeros")
            << QStringLiteral("Zorvane|| 00 2 0101 beta||x||updateinfo") << QString()
            << Outcome::NewerVersion
            << QStringLiteral("[Zorvane]有更新版本V20 Builder0101\n下载地址：x\n")
            << QStringLiteral("x");
    }

    void reading()
    {
        QFETCH(QString, text);
        QFETCH(QString, previousAddress);

        const UpdateReading reading = UpdateInfo::read(text, previousAddress, AppVersion::number());

        QTEST(reading.outcome, "outcome");
        QTEST(reading.message, "message");
        QTEST(reading.downloadAddress, "downloadAddress");
    }

    void leadingNumber_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("number");

        QTest::newRow("empty") << QString() << QStringLiteral("0");
        QTest::newRow("letters first") << QStringLiteral("abc12") << QStringLiteral("0");
        QTest::newRow("blanks and trailing text")
            << QStringLiteral(" \t\r\n42x7") << QStringLiteral("42");
        QTest::newRow("blanks between digits") << QStringLiteral("1 2\t3") << QStringLiteral("123");
        QTest::newRow("plus sign") << QStringLiteral("+7") << QStringLiteral("7");
        QTest::newRow("minus sign after blanks") << QStringLiteral(" - 5") << QStringLiteral("-5");
        QTest::newRow("two signs") << QStringLiteral("--5") << QStringLiteral("0");
        QTest::newRow("negative zero") << QStringLiteral("-000") << QStringLiteral("0");
        QTest::newRow("leading zeros") << QStringLiteral("000120") << QStringLiteral("120");
        QTest::newRow("fraction") << QStringLiteral("20100.9") << QStringLiteral("20100");
        QTest::newRow("full-width digits") << QStringLiteral("２０１０１") << QStringLiteral("0");
    }

    void leadingNumber()
    {
        QFETCH(QString, field);
        QTEST(UpdateInfo::leadingNumber(field), "number");
    }

    void compareNumbers_data()
    {
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::addColumn<int>("order");

        QTest::newRow("equal") << QStringLiteral("20100") << QStringLiteral("20100") << 0;
        QTest::newRow("longer is greater") << QStringLiteral("100") << QStringLiteral("99") << 1;
        QTest::newRow("same length") << QStringLiteral("20099") << QStringLiteral("20100") << -1;
        QTest::newRow("negative below zero") << QStringLiteral("-5") << QStringLiteral("0") << -1;
        QTest::newRow("two negatives") << QStringLiteral("-5") << QStringLiteral("-30") << 1;
        QTest::newRow("beyond any integer")
            << QStringLiteral("123456789012345678901234567890") << QStringLiteral("20100") << 1;
    }

    void compareNumbers()
    {
        QFETCH(QString, left);
        QFETCH(QString, right);
        QFETCH(int, order);
        QCOMPARE(UpdateInfo::compareNumbers(left, right), order);
        QCOMPARE(UpdateInfo::compareNumbers(right, left), -order);
    }

    void versionText_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("shown");

        QTest::newRow("six digits")
            << QStringLiteral("123456") << QStringLiteral("V12 Builder3456");
        QTest::newRow("four digits") << QStringLiteral("1234") << QStringLiteral("V12 Builder1234");
        QTest::newRow("three digits") << QStringLiteral("100") << QStringLiteral("V10 Builder100");
        QTest::newRow("one digit") << QStringLiteral("5") << QStringLiteral("V5 Builder5");
    }

    void versionText()
    {
        QFETCH(QString, number);
        QTEST(UpdateInfo::versionText(number), "shown");
    }

    void decode_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("contentType");
        QTest::addColumn<QString>("text");

        const QString chinese
            = QStringLiteral("名片管家||20101||http://x/z.zip||-||修正updateinfo");
        QTest::newRow("UTF-8, no charset")
            << chinese.toUtf8() << QByteArray("text/plain") << chinese;
        QTest::newRow("Chinese code page, no charset") << gbkUpdate << QByteArray() << chinese;
        QTest::newRow("Chinese code page, named")
            << gbkUpdate << QByteArray("text/plain; charset=GBK") << chinese;
        QTest::newRow("quoted charset")
            << chinese.toUtf8() << QByteArray("text/plain;charset=\"utf-8\"") << chinese;
        QTest::newRow("unknown charset")
            << chinese.toUtf8() << QByteArray("text/plain; charset=no-such-set") << chinese;
        QTest::newRow("UTF-8 byte order mark")
            << QByteArray("\xef\xbb\xbf") + chinese.toUtf8() << QByteArray() << chinese;
        QString utf16 = QChar(QChar::ByteOrderMark) + chinese;
        QTest::newRow("UTF-16 byte order mark")
            << QByteArray(reinterpret_cast<const char *>(utf16.utf16()), utf16.size() * 2)
            << QByteArray() << chinese;
        QTest::newRow("line ends")
            << QByteArray("a\r\nb\rc\nd") << QByteArray() << QStringLiteral("a\nb\nc\nd");
    }

    void decode()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, contentType);
        QTEST(UpdateInfo::decode(body, contentType), "text");
    }

    void downloadTarget_data()
    {
        QTest::addColumn<QString>("downloadAddress");
        QTest::addColumn<QUrl>("target");

        const QUrl maker(QStringLiteral("http://www.zorvane.com/"));
        QTest::newRow("none yet") << QString() << maker;
        QTest::newRow("blanks") << QStringLiteral("   ") << maker;
        QTest::newRow("local file") << QStringLiteral("file:///etc/passwd") << maker;
        QTest::newRow("local program") << QStringLiteral("/usr/bin/xterm") << maker;
        QTest::newRow("windows program") << QStringLiteral("C:\\Windows\\notepad.exe") << maker;
        QTest::newRow("script") << QStringLiteral("javascript:alert(1)") << maker;
        QTest::newRow("mail") << QStringLiteral("mailto:sales@zorvane.com") << maker;
        QTest::newRow("web address without host") << QStringLiteral("http:///z.zip") << maker;
        QTest::newRow("https") << QStringLiteral("https://dl.zorvane.com/zorvane-2.1.zip")
                               << QUrl(QStringLiteral("https://dl.zorvane.com/zorvane-2.1.zip"));
        QTest::newRow("http with blanks and capitals")
            << QStringLiteral(" HTTP://dl.zorvane.com/z.zip \n")
            << QUrl(QStringLiteral("http://dl.zorvane.com/z.zip"));
    }

    void downloadTarget()
    {
        QFETCH(QString, downloadAddress);
        QTEST(UpdateSite::downloadTarget(downloadAddress), "target");
    }

    // A mirror given in ZORVANE_UPDATE_URL is what every update window test talks to.
    void updateAddressIsTheMakersFile()
    {
        QCOMPARE(UpdateSite::updateAddress(),
                 QUrl(QStringLiteral("http://www.zorvane.com/software/update/zorvaneupdate.txt")));
    }

    void checkAgainstServer_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("text");

        const QString failure = failureText;
        QTest::newRow("gbk without charset")
            << QStringLiteral("gbk without charset")
            << QStringLiteral("[名片管家]有更新版本V20 Builder0101\n下载地址：http://x/z.zip\n")
                + dashes + QStringLiteral("修正updateinfo");
        QTest::newRow("404") << QStringLiteral("404") << failure;
        QTest::newRow("500 with update text") << QStringLiteral("500 with update text") << failure;
        QTest::newRow("not update information")
            << QStringLiteral("not update information") << failure;
        QTest::newRow("largest accepted") << QStringLiteral("largest accepted") << upToDate;
        QTest::newRow("oversized, announced") << QStringLiteral("oversized, announced") << failure;
        QTest::newRow("oversized, not announced")
            << QStringLiteral("oversized, not announced") << failure;
        QTest::newRow("redirect to web") << QStringLiteral("redirect to web") << upToDate;
        QTest::newRow("redirect to file") << QStringLiteral("redirect to file") << failure;
        QTest::newRow("redirect loop") << QStringLiteral("redirect loop") << failure;
    }

    void checkAgainstServer()
    {
        QFETCH(QString, kind);
        LocalHttpServer server;
        setUpServer(server, kind);
        UpdateCheck check;

        QTEST(runCheck(check, server.url(updatePath)), "text");
        QCOMPARE(server.requested().value(0), updatePath);
    }

    void silentServerTimesOut()
    {
        LocalHttpServer server;
        LocalHttpServer::Answer silence;
        silence.respond = false;
        server.serve(updatePath, silence);
        UpdateCheck check;
        const std::chrono::milliseconds timeout(300);
        check.setTimeout(timeout);
        QElapsedTimer clock;
        clock.start();

        QCOMPARE(runCheck(check, server.url(updatePath)), failureText);
        QVERIFY(clock.elapsed() >= timeout.count());
        QCOMPARE(server.requested(), QList<QString> { updatePath });
    }

    void closedPortFails()
    {
        const RefusingPort closed;
        UpdateCheck check;

        const QString text = runCheck(
            check, QUrl(QStringLiteral("http://127.0.0.1:%1/u.txt").arg(closed.number())));

        QCOMPARE(text, failureText);
    }

    void nonWebAddressRefused_data()
    {
        QTest::addColumn<QUrl>("url");
        QTest::newRow("local file") << QUrl(QStringLiteral("file:///etc/passwd"));
        QTest::newRow("ftp") << QUrl(QStringLiteral("ftp://127.0.0.1/u.txt"));
        QTest::newRow("empty") << QUrl();
    }

    void nonWebAddressRefused()
    {
        QFETCH(QUrl, url);
        UpdateCheck check;
        bool answeredAtOnce = false;
        connect(&check, &UpdateCheck::resultReady, this,
                [&answeredAtOnce] { answeredAtOnce = true; });
        check.start(url);
        QVERIFY(!answeredAtOnce);
        check.disconnect(this);

        QCOMPARE(runCheck(check, url), failureText);
    }

    void downloadAddressAcrossChecks()
    {
        LocalHttpServer server;
        server.serve(
            QStringLiteral("/first.txt"),
            QStringLiteral("Zorvane||20101||%1||-||说明 updateinfo").arg(address).toUtf8());
        server.serve(QStringLiteral("/fewer.txt"), QByteArray("Zorvane updateinfo||20102"));
        server.serve(QStringLiteral("/file.txt"),
                     QByteArray("Zorvane||20103||file:///etc/passwd||-||updateinfo"));
        UpdateCheck check;
        QCOMPARE(check.downloadTarget(), UpdateSite::makerSite());

        runCheck(check, server.url(QStringLiteral("/first.txt")));
        QCOMPARE(check.downloadTarget(), QUrl(address));

        const QString fewer = runCheck(check, server.url(QStringLiteral("/fewer.txt")));
        QCOMPARE(fewer,
                 QStringLiteral("[Zorvane updateinfo]有更新版本V20 Builder0102\n下载地址：")
                     + address + QStringLiteral("\n"));
        QCOMPARE(check.downloadTarget(), QUrl(address));

        runCheck(check, server.url(QStringLiteral("/file.txt")));
        QCOMPARE(check.downloadAddress(), QStringLiteral("file:///etc/passwd"));
        QCOMPARE(check.downloadTarget(), UpdateSite::makerSite());
    }
};

QTEST_GUILESS_MAIN(TestUpdateCheck)
#include "tst_updatecheck.moc"
