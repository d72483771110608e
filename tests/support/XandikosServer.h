#pragma once

#include "DavTestServer.h"

#include <QProcess>
#include <QTemporaryDir>

// Debian's Xandikos on 127.0.0.1 with its own folder. It cannot tell which port it took when
// given port 0, so it gets a free one and is started again on another should that be taken
// meanwhile. It asks for no password.
class XandikosServer : public DavTestServer
{
public:
    XandikosServer();
    ~XandikosServer() override;

    QString problem() const override { return m_problem; }
    QUrl root() const override;
    QUrl makeAddressBook(const QString &name) override;
    int request(const QByteArray &method, const QUrl &url, const QByteArray &content = {},
                QByteArray *body = nullptr) override;

private:
    bool startOn(const QString &program, quint16 port);
    void stop();

    QTemporaryDir m_folder;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_problem;
};
