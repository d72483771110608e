#include "AppDriver.h"
#include "TestSandbox.h"
#include "app/widgets/StartUp.h"
#include "app/widgets/frmMain.h"
#include "data/Database.h"
#include "shared/AppState.h"

#include <QProcess>
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

    void installsItsFilesWithValidDesktopEntryAndMetainfo()
    {
        const QString entry = QStringLiteral("share/applications/com.zorvane.Zorvane.desktop");
        const QString metainfo = QStringLiteral("share/metainfo/com.zorvane.Zorvane.metainfo.xml");
        QStringList files { QStringLiteral("bin/zorvane"),
                            QStringLiteral("share/zorvane/Maindat.dat"),
                            QStringLiteral("share/zorvane/readme.txt"),
                            QStringLiteral("share/icons/hicolor/scalable/apps/zorvane.svg"),
                            entry,
                            metainfo };
        for (const int size : { 16, 24, 32, 48, 64, 128, 256 })
            files << QStringLiteral("share/icons/hicolor/%1x%1/apps/zorvane.png").arg(size);
        for (const QString &file : files)
            QVERIFY2(QFileInfo(prefix(file)).size() > 0, qPrintable(file));

        int exitCode = 0;
        QString output = run(QStringLiteral("desktop-file-validate"), { prefix(entry) }, &exitCode);
        QVERIFY2(exitCode == 0 && output.isEmpty(), qPrintable(output));
        output = run(QStringLiteral("appstreamcli"),
                     { QStringLiteral("validate"), QStringLiteral("--no-net"), prefix(metainfo) },
                     &exitCode);
        QVERIFY2(exitCode == 0 && !output.contains(QLatin1String("W:")), qPrintable(output));
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
        environment.insert(QStringLiteral("HOME"), home);
        for (const QString &kind :
             { QStringLiteral("DATA"), QStringLiteral("CONFIG"), QStringLiteral("CACHE") })
            environment.insert(QStringLiteral("XDG_%1_HOME").arg(kind),
                               home + QLatin1Char('/') + kind.toLower());
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
        // The file appears whole (written beside it, then moved in place) and opens as a data
        // file; the program has not stopped on the way.
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(dataFile), 30000);
        QVERIFY(Database::open(dataFile));
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
        LOG_IN(main, app);
        QCOMPARE(AppState::instance().dbPath, dataFile);
        QCOMPARE(main->windowIcon().availableSizes().size(), 7);
    }
};

QTEST_MAIN(TestInstall)
#include "tst_install.moc"
