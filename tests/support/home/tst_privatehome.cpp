#include <QDirIterator>
#include <QLocalServer>
#include <QProcess>
#include <QtTest>

// Test programs run by hand, from a shell whose home holds the developer's settings and keyring
// and whose session bus is the developer's: both stay as they were and the bus hears nothing.
class TestPrivateHome : public QObject
{
    Q_OBJECT

    QTemporaryDir shell;

    QString home() const { return shell.filePath(QStringLiteral("home")); }

    static bool write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        return QDir().mkpath(QFileInfo(path).path()) && file.open(QIODevice::WriteOnly)
            && file.write(bytes) == bytes.size();
    }

    // Every file and folder below the home, with the bytes of each file.
    QMap<QString, QByteArray> everything() const
    {
        QMap<QString, QByteArray> found;
        QDirIterator it(home(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo entry = it.nextFileInfo();
            QFile file(entry.filePath());
            found.insert(entry.filePath(),
                         entry.isFile() && file.open(QIODevice::ReadOnly) ? file.readAll()
                                                                          : QByteArray("<folder>"));
        }
        return found;
    }

    // The environment of a developer's shell: no XDG variables, nothing offscreen.
    QProcessEnvironment developerShell() const
    {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("PATH"), qEnvironmentVariable("PATH"));
        environment.insert(QStringLiteral("HOME"), home());
        environment.insert(QStringLiteral("TMPDIR"), shell.filePath(QStringLiteral("tmp")));
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=") + shell.filePath(QStringLiteral("bus")));
        // A sanitizer build is run by hand with its options, as scripts/test sets them.
        for (const char *name : { "ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS" }) {
            if (qEnvironmentVariableIsSet(name))
                environment.insert(QString::fromLatin1(name), qEnvironmentVariable(name));
        }
        return environment;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(shell.isValid());
        QVERIFY(QDir().mkpath(shell.filePath(QStringLiteral("tmp"))));
        QVERIFY(write(home() + QStringLiteral("/.config/Zorvane/Zorvane.conf"),
                      "[Settings]\nSyncServer=https://dav.example.cn/\nSyncUser=developer\n"
                      "DatabasePath=/home/developer/cards.cot\n"));
        QVERIFY(write(home() + QStringLiteral("/.local/share/keyrings/login.keyring"),
                      "GnomeKeyring\n\r\0\n sentinel"));
        QVERIFY(write(home() + QStringLiteral("/.local/share/kwalletd/kdewallet.kwl"),
                      "KWALLET\n\r\0\r\n sentinel"));
    }

    void handRunLeavesHomeAlone_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        // The command line saves the sync account it was given in the settings.
        QTest::newRow("sync from the command line")
            << QStringLiteral("tst_carddavserver") << QStringList { "commandLineSyncs" };
        QTest::newRow("sync windows") << QStringLiteral("tst_syncwindows") << QStringList();
        QTest::newRow("card programs") << QStringLiteral("tst_zorvanecards") << QStringList();
        QTest::newRow("login") << QStringLiteral("tst_login") << QStringList();
    }

    void handRunLeavesHomeAlone()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        const QMap<QString, QByteArray> before = everything();
        QCOMPARE(before.size(), 9);
        QLocalServer bus;
        QVERIFY(bus.listen(shell.filePath(QStringLiteral("bus"))));

        QProcess test;
        test.setProcessEnvironment(developerShell());
        test.setProcessChannelMode(QProcess::MergedChannels);
        test.start(QStringLiteral(ZORVANE_BIN_DIR "/") + program, arguments);
        QVERIFY(test.waitForFinished(240000));
        QVERIFY2(test.exitStatus() == QProcess::NormalExit && test.exitCode() == 0,
                 test.readAll().right(2000).constData());

        QVERIFY(!bus.waitForNewConnection(0));
        QCOMPARE(everything(), before);
    }
};

QTEST_GUILESS_MAIN(TestPrivateHome)
#include "tst_privatehome.moc"
