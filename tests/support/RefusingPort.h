#pragma once

#include <QTcpSocket>
#include <QtTest>

// A port on 127.0.0.1 that refuses every connection: bound while this lives, so no other program
// can start listening on it, and never listening itself.
class RefusingPort
{
public:
    RefusingPort()
    {
        if (!m_socket.bind(QHostAddress::LocalHost, 0))
            QTest::qFail("cannot bind a local port", __FILE__, __LINE__);
    }

    quint16 number() const { return m_socket.localPort(); }

private:
    QTcpSocket m_socket;
};
