#include "AppDriver.h"
#include "TestSandbox.h"
#include "app/widgets/StartUp.h"
#include "app/widgets/frmMain.h"
#include "shared/AppState.h"

#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#include <unistd.h>

// The program as a distribution installs it: its files in the standard places, desktop entry and
// metainfo that validate, and a first start from a folder it cannot write.
class TestInstall : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir root;

    QString prefix(const QString &file = QString()) const
    {
        return root.filePath(QStringLiteral("prefix/") + file);
    }

    static QString run(const QString &program, const QStringList &arguments, int *exitCode)
    {
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(program, arguments);
        process.waitForFinished(120000);
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        return QString::fromUtf8(process.readAll());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(root.isValid());
        int exitCode = 0;
        const QString output
            = run(QStringLiteral("cmake"),
                  { QStringLiteral("--install"), QStringLiteral(ZORVANE_BIN_DIR "/.."),
                    QStringLiteral("--prefix"), prefix() },
                  &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(output));
    }

    void installsTheProgramItsFilesAndItsDesktopEntry()
    {
        QStringList files { QStringLiteral("bin/zorvane"),
                            QStringLiteral("share/zorvane/Maindat.dat"),
                            QStringLiteral("share/zorvane/readme.txt"),
                            QStringLiteral("share/icons/hicolor/scalable/apps/zorvane.svg"),
                            QStringLiteral("share/applications/com.zorvane.Zorvane.desktop"),
                            QStringLiteral("share/metainfo/com.zorvane.Zorvane.metainfo.xml") };
        for (const int size : { 16, 24, 32, 48, 64, 128, 256 })
            files << QStringLiteral("share/icons/hicolor/%1x%1/apps/zorvane.png").arg(size);
        for (const QString &file : files)
            QVERIFY2(QFileInfo(prefix(file)).size() > 0, qPrintable(file));
        QVERIFY(QFileInfo(prefix(QStringLiteral("bin/zorvane"))).isExecutable());
    }

    void desktopEntryAndMetainfoValidate_data()
    {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("desktop entry") << QStringLiteral("desktop-file-validate")
                                       << QStringList { prefix(QStringLiteral(
                                              "share/applications/com.zorvane.Zorvane.desktop")) };
        QTest::newRow("metainfo") << QStringLiteral("appstreamcli")
                                  << QStringList {
                                         QStringLiteral("validate"), QStringLiteral("--no-net"),
                                         prefix(QStringLiteral(
                                             "share/metainfo/com.zorvane.Zorvane.metainfo.xml"))
                                     };
    }

    void desktopEntryAndMetainfoValidate()
    {
        QFETCH(QString, program);
        QFETCH(QStringList, arguments);
        int exitCode = 0;
        const QString output = run(program, arguments, &exitCode);
        QVERIFY2(exitCode == 0, qPrintable(output));
        QVERIFY2(!output.contains(QLatin1String("W:")) && !output.contains(QLatin1String("E:")),
                 qPrintable(output));
    }

    void firstStartFromAReadOnlyFolderUsesTheUserDataFolder()
    {
        const QString home = root.filePath(QStringLiteral("home"));
        const QString dataFile = home + QStringLiteral("/data/Zorvane/Zorvane/MyData.cot");
        QVERIFY(QDir().mkpath(home));
        const auto open = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
            | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
        QVERIFY(QFile::setPermissions(home, open));
        QVERIFY(QFile::setPermissions(root.path(), open & ~QFileDevice::WriteOther));
        QVERIFY(QFile::setPermissions(prefix(QStringLiteral("bin")),
                                      QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                          | QFileDevice::ReadOther | QFileDevice::ExeOther));

        QProcess program;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
        program.setProcessEnvironment(environment);
        const QString installed = prefix(QStringLiteral("bin/zorvane"));
        // The superuser may write anywhere: the program then runs as nobody.
        if (geteuid() == 0)
            program.start(QStringLiteral("setpriv"),
                          { QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                            QStringLiteral("--clear-groups"), installed });
        else
            program.start(installed);
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(dataFile), 30000);
        QTest::qWait(500);
        QCOMPARE(program.state(), QProcess::Running);
        program.kill();
        program.waitForFinished();
        QVERIFY(!QFileInfo::exists(prefix(QStringLiteral("bin/MyData.cot"))));

        // The accounts of that first data file log in, and the windows carry the program's icon.
        struct UserSandbox : TestSandbox
        {
            QString data;
            QString dataFolder() const override { return data; }
        } sandbox;
        sandbox.data = QFileInfo(dataFile).path();
        AppDriver app;
        StartUp::setDesktopIdentity();
        frmMain *main = app.logIn();
        QVERIFY(main);
        QCOMPARE(AppState::instance().dbPath, dataFile);
        QCOMPARE(main->windowIcon().availableSizes().size(), 7);
    }
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
