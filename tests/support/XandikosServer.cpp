#include "XandikosServer.h"

#include "DavRequest.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <csignal>
#include <sys/prctl.h>

namespace {

constexpr int startAttempts = 5;

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

XandikosServer::XandikosServer()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("xandikos"));
    if (program.isEmpty()) {
        m_problem = QStringLiteral("xandikos is not installed (scripts/setup-deps installs it)");
        return;
    }
    // A test that crashes takes the server with it.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.setStandardErrorFile(m_folder.filePath(QStringLiteral("log")));
    for (int attempt = 0; attempt < startAttempts; ++attempt) {
        if (startOn(program, freePort()))
            return;
    }
    QFile log(m_folder.filePath(QStringLiteral("log")));
    log.open(QIODevice::ReadOnly);
    m_problem
        = QStringLiteral("xandikos did not start: ") + QString::fromUtf8(log.readAll().right(500));
}

XandikosServer::~XandikosServer()
{
    stop();
}

void XandikosServer::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(5000);
}

bool XandikosServer::startOn(const QString &program, quint16 port)
{
    stop();
    m_port = port;
    m_process.start(program,
                    { QStringLiteral("-d"), m_folder.filePath(QStringLiteral("data")),
                      QStringLiteral("--autocreate"), QStringLiteral("--current-user-principal"),
                      QStringLiteral("/alice/"), QStringLiteral("-l"), QStringLiteral("127.0.0.1"),
                      QStringLiteral("-p"), QString::number(port) });
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        // Someone else may hold the port: then ours ends at once, unable to listen.
        if (probe.waitForConnected(200))
            return !m_process.waitForFinished(300);
        m_process.waitForFinished(100);
    }
    return false;
}

QUrl XandikosServer::root() const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(m_port));
}

QUrl XandikosServer::makeAddressBook(const QString &name)
{
    const QUrl book = root().resolved(QUrl(QStringLiteral("alice/contacts/") + name + u'/'));
    return request("MKCOL", book, addressBookBody(name)) == 201 ? book : QUrl();
}

int XandikosServer::request(const QByteArray &method, const QUrl &url, const QByteArray &content,
                            QByteArray *body)
{
    return DavRequest::send(method, url, content, body);
}
