#include "LocalHttpServer.h"

#include <QtTest>

LocalHttpServer::LocalHttpServer()
{
    if (!m_server.listen(QHostAddress::LocalHost))
        QTest::qFail("The local HTTP server cannot listen", __FILE__, __LINE__);
    connect(&m_server, &QTcpServer::newConnection, this, &LocalHttpServer::accept);
}

LocalHttpServer::~LocalHttpServer()
{
    // Sockets still open report their end while the server goes; nothing must hear it.
    for (QTcpSocket *socket : m_server.findChildren<QTcpSocket *>())
        socket->disconnect(this);
}

void LocalHttpServer::serve(const QString &path, const Answer &answer)
{
    m_answers.insert(path, answer);
}

void LocalHttpServer::serve(const QString &path, const QByteArray &body)
{
    Answer answer;
    answer.body = body;
    serve(path, answer);
}

void LocalHttpServer::serveInTurn(const QString &path, const QList<Answer> &answers)
{
    m_turns.insert(path, answers);
}

QUrl LocalHttpServer::url(const QString &path) const
{
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path));
}

void LocalHttpServer::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            ++m_closed;
            m_pending.remove(socket);
            socket->deleteLater();
        });
    }
}

void LocalHttpServer::readRequest(QTcpSocket *socket)
{
    QByteArray &request = m_pending[socket];
    request += socket->readAll();
    if (!request.contains("\r\n\r\n"))
        return;
    const QList<QByteArray> requestLine = request.left(request.indexOf("\r\n")).split(' ');
    m_heads.append(request.left(request.indexOf("\r\n\r\n")));
    request.clear();
    const QString path
        = requestLine.size() > 1 ? QString::fromLatin1(requestLine.at(1)) : QString();
    m_requested.append(path);
    answer(socket, path);
}

void LocalHttpServer::answer(QTcpSocket *socket, const QString &path)
{
    Answer answer;
    const QString turn = m_turns.contains(path) || m_answers.contains(path) ? path : QString();
    if (m_turns.contains(turn)) {
        QList<Answer> &answers = m_turns[turn];
        answer = answers.size() > 1 ? answers.takeFirst() : answers.first();
    } else if (m_answers.contains(path)) {
        answer = m_answers.value(path);
    } else {
        answer.status = 404;
        answer.contentType = "text/html";
        answer.body = "<html><body><h1>404 Not Found</h1></body></html>";
    }
    if (!answer.respond)
        return;
    QByteArray response = "HTTP/1.1 " + QByteArray::number(answer.status) + " Scripted\r\n"
        + "Content-Type: " + answer.contentType + "\r\n" + answer.headers + "Connection: close\r\n";
    if (answer.announceLength)
        response += "Content-Length: " + QByteArray::number(answer.body.size()) + "\r\n";
    response += "\r\n" + answer.body;
    socket->write(response);
    socket->disconnectFromHost();
}
