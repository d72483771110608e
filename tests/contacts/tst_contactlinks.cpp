#include "contacts/ContactLinks.h"

#include <QtTest>

class TestContactLinks : public QObject
{
    Q_OBJECT

private slots:
    void mailAddressIsThePathAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("plain") << QStringLiteral("wang@example.cn")
                               << QStringLiteral("wang@example.cn")
                               << QByteArray("mailto:wang@example.cn");
        QTest::newRow("empty") << QString() << QString() << QByteArray("mailto:");
        QTest::newRow("attachment") << QStringLiteral("a@b.cn?attach=/etc/passwd")
                                    << QStringLiteral("a@b.cn?attach=/etc/passwd")
                                    << QByteArray("mailto:a@b.cn%3Fattach=/etc/passwd");
        QTest::newRow("fragment and blanks")
            << QStringLiteral(" a@b.cn#x ") << QStringLiteral(" a@b.cn#x ")
            << QByteArray("mailto:%20a@b.cn%23x%20");
        QTest::newRow("line break")
            << QStringLiteral("a@b.cn\r\nBcc: c@d.cn") << QStringLiteral("a@b.cn\r\nBcc: c@d.cn")
            << QByteArray("mailto:a@b.cn%0D%0ABcc:%20c@d.cn");
        QTest::newRow("chinese") << QStringLiteral("王@例子.中国") << QStringLiteral("王@例子.中国")
                                 << QByteArray("mailto:%E7%8E%8B@%E4%BE%8B%E5%AD%90.%E4%B8%AD%E5%"
                                               "9B%BD");
    }

    void mailAddressIsThePathAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, address);
        QFETCH(QByteArray, encoded);
        const auto url = ContactLinks::mailUrl(typed);
        QVERIFY(url);
        QCOMPARE(url->scheme(), QStringLiteral("mailto"));
        QCOMPARE(url->path(QUrl::FullyDecoded), address);
        QVERIFY(!url->hasQuery());
        QVERIFY(!url->hasFragment());
        QCOMPARE(url->toEncoded(), encoded);
        // What the desktop receives reads back as the same, query-free address.
        const QUrl received = QUrl::fromEncoded(url->toEncoded(), QUrl::StrictMode);
        QVERIFY(!received.hasQuery());
        QCOMPARE(received.path(QUrl::FullyDecoded), address);
    }

    void mailAddressThatWouldReadAsAHostOpensNothing()
    {
        // "mailto://evil/x" would be read as a host, not as an address.
        QVERIFY(!ContactLinks::mailUrl(QStringLiteral("//evil/x")));
    }

    void onlyWebAddressesOpen_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("opened");
        QTest::newRow("no scheme")
            << QStringLiteral("www.example.com") << QStringLiteral("http://www.example.com");
        QTest::newRow("https") << QStringLiteral("https://x.org")
                               << QStringLiteral("https://x.org");
        QTest::newRow("http upper case")
            << QStringLiteral("HTTP://X.org/a?b=1#c") << QStringLiteral("http://x.org/a?b=1#c");
        QTest::newRow("outer blanks") << QStringLiteral("  www.example.com/p  ")
                                      << QStringLiteral("http://www.example.com/p");
        QTest::newRow("host and port") << QStringLiteral("www.example.com:8080/p")
                                       << QStringLiteral("http://www.example.com:8080/p");
        QTest::newRow("bare port")
            << QStringLiteral("localhost:8080") << QStringLiteral("http://localhost:8080");
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("blanks") << QStringLiteral("   ") << QString();
        QTest::newRow("file url") << QStringLiteral("file:///etc/passwd") << QString();
        QTest::newRow("path") << QStringLiteral("/usr/bin/xterm") << QString();
        QTest::newRow("relative path") << QStringLiteral("./run.sh") << QString();
        QTest::newRow("home path") << QStringLiteral("~/run.sh") << QString();
        QTest::newRow("unc") << QStringLiteral("\\\\host\\share") << QString();
        QTest::newRow("drive") << QStringLiteral("C:\\Windows\\notepad.exe") << QString();
        QTest::newRow("drive slash") << QStringLiteral("c:/x") << QString();
        QTest::newRow("backslash in http") << QStringLiteral("http:\\\\evil.example") << QString();
        QTest::newRow("protocol relative") << QStringLiteral("//host/share") << QString();
        QTest::newRow("javascript") << QStringLiteral("javascript:alert(1)") << QString();
        QTest::newRow("mailto") << QStringLiteral("mailto:a@b.cn") << QString();
        QTest::newRow("ftp") << QStringLiteral("ftp://x.org") << QString();
        QTest::newRow("smb") << QStringLiteral("smb://host/share") << QString();
        QTest::newRow("http without host") << QStringLiteral("http:/etc/passwd") << QString();
        QTest::newRow("http empty host") << QStringLiteral("http:///etc/passwd") << QString();
        QTest::newRow("inner blank") << QStringLiteral("www.exa mple.com") << QString();
    }

    void onlyWebAddressesOpen()
    {
        QFETCH(QString, typed);
        QFETCH(QString, opened);
        const auto url = ContactLinks::webUrl(typed);
        QCOMPARE(url.has_value(), !opened.isEmpty());
        if (url)
            QCOMPARE(url->toString(), opened);
    }
};

QTEST_GUILESS_MAIN(TestContactLinks)
#include "tst_contactlinks.moc"
