#include "RadicaleServer.h"

#include "DavRequest.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <csignal>
#include <cstdio>
#include <sys/prctl.h>

namespace {

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// The server's own report of the port the system gave it: "Listening on '[127.0.0.1]:40123'".
const QRegularExpression listeningOn(QStringLiteral("Listening on '\\[127\\.0\\.0\\.1\\]:(\\d+)'"));

} // namespace

RadicaleServer::RadicaleServer()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("radicale"));
    if (program.isEmpty()) {
        m_problem = QStringLiteral("radicale is not installed (scripts/setup-deps installs it)");
        return;
    }
    const QString users = m_folder.filePath(QStringLiteral("users"));
    const QString config = m_folder.filePath(QStringLiteral("config"));
    // Port 0: the system picks a free port as the server binds, so no other program can take it
    // in between. The server names the port at the info level.
    const QByteArray settings = "[server]\nhosts = 127.0.0.1:0\n[auth]\ntype = htpasswd\n"
                                "htpasswd_filename = "
        + users.toUtf8()
        + "\nhtpasswd_encryption = plain\n[rights]\ntype = owner_only\n[storage]\n"
          "filesystem_folder = "
        + m_folder.filePath(QStringLiteral("storage")).toUtf8()
        + "\n[web]\ntype = none\n[logging]\nlevel = info\n";
    if (!writeFile(users, (user() + u':' + password() + u'\n').toUtf8())
        || !writeFile(config, settings)) {
        m_problem = QStringLiteral("cannot write the server's configuration");
        return;
    }
    m_process.setStandardOutputFile(QProcess::nullDevice());
    // The server goes with the test program even when that is aborted (a test function that
    // timed out), never left running on its storage.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_process.start(program, { QStringLiteral("--config"), config });
    if (!waitUntilReady()) {
        m_problem = QStringLiteral("radicale did not start: ") + QString::fromUtf8(m_log);
        return;
    }
    // From now on only its warnings and errors are worth showing.
    QObject::connect(&m_process, &QProcess::readyReadStandardError, &m_process, [this] {
        m_process.setReadChannel(QProcess::StandardError);
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine();
            if (!line.contains("] [INFO] ") && !line.contains("] [DEBUG] "))
                std::fputs(line.constData(), stderr);
        }
    });
}

RadicaleServer::~RadicaleServer()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

QUrl RadicaleServer::root() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_port));
}

bool RadicaleServer::waitUntilReady()
{
    const QDeadlineTimer deadline(20000);
    m_process.setReadChannel(QProcess::StandardError);
    while (m_process.waitForReadyRead(int(deadline.remainingTime()))) {
        while (m_process.canReadLine()) {
            const QByteArray line = m_process.readLine();
            m_log += line;
            const auto port = listeningOn.match(QString::fromUtf8(line));
            if (port.hasMatch())
                m_port = quint16(port.captured(1).toUInt());
            if (line.contains("Radicale server ready"))
                return m_port != 0;
        }
    }
    return false;
}

QUrl RadicaleServer::makeAddressBook(const QString &name)
{
    // The user's home collection first; it may be there already.
    request("MKCOL", root().resolved(QUrl(user() + u'/')));
    const QUrl book = root().resolved(QUrl(user() + u'/' + name + u'/'));
    const QByteArray body = "<?xml version=\"1.0\"?><D:mkcol xmlns:D=\"DAV:\" "
                            "xmlns:C=\"urn:ietf:params:xml:ns:carddav\"><D:set><D:prop>"
                            "<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>"
                            "<D:displayname>"
        + name.toUtf8() + "</D:displayname></D:prop></D:set></D:mkcol>";
    return request("MKCOL", book, body) == 201 ? book : QUrl();
}

QString RadicaleServer::storageFolder(const QString &addressBook) const
{
    return m_folder.filePath(QStringLiteral("storage/collection-root/") + user() + u'/'
                             + addressBook);
}

int RadicaleServer::request(const QByteArray &method, const QUrl &url, const QByteArray &content,
                            QByteArray *body)
{
    return DavRequest::send(method, url, content, body, (user() + u':' + password()).toUtf8());
}
