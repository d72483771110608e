#include "RadicaleServer.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

namespace {

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

} // namespace

RadicaleServer::RadicaleServer()
{
    const QString program = QStandardPaths::findExecutable(QStringLiteral("radicale"));
    if (program.isEmpty()) {
        m_problem = QStringLiteral("radicale is not installed (scripts/setup-deps installs it)");
        return;
    }
    m_port = freePort();
    const QString users = m_folder.filePath(QStringLiteral("users"));
    const QString config = m_folder.filePath(QStringLiteral("config"));
    const QByteArray settings = "[server]\nhosts = 127.0.0.1:" + QByteArray::number(m_port)
        + "\n[auth]\ntype = htpasswd\nhtpasswd_filename = " + users.toUtf8()
        + "\nhtpasswd_encryption = plain\n[rights]\ntype = owner_only\n[storage]\n"
          "filesystem_folder = "
        + m_folder.filePath(QStringLiteral("storage")).toUtf8()
        + "\n[web]\ntype = none\n[logging]\nlevel = warning\n";
    if (!writeFile(users, (user() + u':' + password() + u'\n').toUtf8())
        || !writeFile(config, settings)) {
        m_problem = QStringLiteral("cannot write the server's configuration");
        return;
    }
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.setStandardOutputFile(QProcess::nullDevice());
    m_process.start(program, { QStringLiteral("--config"), config });
    if (!waitUntilAnswering())
        m_problem = QStringLiteral("radicale did not start on port %1").arg(m_port);
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

bool RadicaleServer::waitUntilAnswering()
{
    const QDeadlineTimer deadline(20000);
    while (!deadline.hasExpired() && m_process.state() != QProcess::NotRunning) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        if (probe.waitForConnected(200))
            return true;
        QThread::msleep(100);
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

int RadicaleServer::request(const QByteArray &method, const QUrl &url, const QByteArray &content,
                            QByteArray *body)
{
    QNetworkAccessManager network;
    QNetworkRequest request(url);
    request.setRawHeader("Authorization",
                         "Basic " + (user() + u':' + password()).toUtf8().toBase64());
    if (method == "PUT")
        request.setRawHeader("Content-Type", "text/vcard; charset=utf-8");
    else if (!content.isEmpty())
        request.setRawHeader("Content-Type", "application/xml; charset=utf-8");
    QNetworkReply *reply = network.sendCustomRequest(request, method, content);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    loop.exec();
    if (body)
        *body = reply->readAll();
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    delete reply;
    return status;
}
