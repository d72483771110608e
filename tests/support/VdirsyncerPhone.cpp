#include "VdirsyncerPhone.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>

VdirsyncerPhone::VdirsyncerPhone(const QUrl &addressBook)
    : m_program(QStandardPaths::findExecutable(QStringLiteral("vdirsyncer")))
{
    if (m_program.isEmpty()) {
        m_problem = QStringLiteral("vdirsyncer is not installed (scripts/setup-deps installs it)");
        return;
    }
    QDir(m_folder.path()).mkpath(QStringLiteral("cards"));
    QDir(m_folder.path()).mkpath(QStringLiteral("status"));
    const QByteArray config = "[general]\nstatus_path = \"" + m_folder.filePath("status").toUtf8()
        + "/\"\n\n[pair phone]\na = \"phone_cards\"\nb = \"phone_server\"\n"
          "collections = null\nconflict_resolution = \"b wins\"\n\n"
          "[storage phone_cards]\ntype = \"filesystem\"\npath = \""
        + cardFolder().toUtf8()
        + "/\"\nfileext = \".vcf\"\n\n[storage phone_server]\ntype = \"carddav\"\nurl = \""
        + addressBook.toEncoded() + "\"\nusername = \"alice\"\npassword = \"secret\"\n";
    QFile file(m_folder.filePath(QStringLiteral("config")));
    if (!file.open(QIODevice::WriteOnly) || file.write(config) != config.size()) {
        m_problem = QStringLiteral("cannot write the phone's configuration");
        return;
    }
    file.close();
    const QString discovered = run({ QStringLiteral("discover"), QStringLiteral("phone") });
    if (!discovered.isEmpty())
        m_problem = QStringLiteral("vdirsyncer discover failed: ") + discovered;
}

QString VdirsyncerPhone::cardFolder() const
{
    return m_folder.filePath(QStringLiteral("cards"));
}

QString VdirsyncerPhone::sync()
{
    return run({ QStringLiteral("sync") });
}

QString VdirsyncerPhone::run(const QStringList &arguments)
{
    QProcess program;
    program.setProcessChannelMode(QProcess::MergedChannels);
    // Its own home, so it reads no configuration of the developer's.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_folder.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), m_folder.filePath(QStringLiteral("xdg")));
    program.setProcessEnvironment(environment);
    program.start(m_program,
                  QStringList { QStringLiteral("-c"), m_folder.filePath(QStringLiteral("config")) }
                      + arguments);
    if (!program.waitForFinished(120000)) {
        program.kill();
        program.waitForFinished();
        return QStringLiteral("vdirsyncer did not finish");
    }
    if (program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0)
        return {};
    return QString::fromUtf8(program.readAll());
}
