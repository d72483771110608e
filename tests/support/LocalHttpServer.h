#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

// A small HTTP/1.1 server on 127.0.0.1 for tests of code that fetches from the web. Each path
// gets a scripted answer; an unknown path gets a 404 page.
class LocalHttpServer : public QObject
{
public:
    struct Answer
    {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "text/plain";
        // Extra header lines, each ending in "\r\n" (Location for redirects).
        QByteArray headers;
        // false: the body ends when the connection closes, with no Content-Length announced.
        bool announceLength = true;
        // false: the request is read and never answered.
        bool respond = true;
    };

    LocalHttpServer();
    ~LocalHttpServer() override;

    void serve(const QString &path, const Answer &answer);
    void serve(const QString &path, const QByteArray &body);
    // Answers the requests for the path in this order, the last one from then on. An empty path
    // stands for every path without an answer of its own.
    void serveInTurn(const QString &path, const QList<Answer> &answers);
    QUrl url(const QString &path) const;
    // Paths requested so far, in order.
    const QList<QString> &requested() const { return m_requested; }
    // Connections the other side has closed so far.
    int closedConnections() const { return m_closed; }
    // The request line and header lines of each request so far, in order.
    const QList<QByteArray> &heads() const { return m_heads; }

private:
    void accept();
    void readRequest(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const QString &path);

    QTcpServer m_server;
    QHash<QString, Answer> m_answers;
    QHash<QString, QList<Answer>> m_turns;
    QHash<QTcpSocket *, QByteArray> m_pending;
    QList<QString> m_requested;
    int m_closed = 0;
    QList<QByteArray> m_heads;
};
