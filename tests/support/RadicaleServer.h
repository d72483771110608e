#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>

// Debian's Radicale CardDAV server on 127.0.0.1, on a port the system picks, with its own storage
// folder and one htpasswd user; stopped when this goes, or when the test program ends however it
// ends. Shared by the tests and the benchmark.
class RadicaleServer
{
public:
    RadicaleServer();
    ~RadicaleServer();

    // Empty when the server answers; else why it does not (not installed, did not start).
    QString problem() const { return m_problem; }
    QUrl root() const;
    static QString user() { return QStringLiteral("alice"); }
    static QString password() { return QStringLiteral("secret"); }

    // A new, empty address book of the user; an empty URL when the server refused it.
    QUrl makeAddressBook(const QString &name);
    // The folder where the server keeps an address book's cards, one file each: filling it
    // directly is much faster than uploading.
    QString storageFolder(const QString &addressBook) const;
    // One request as the user; the status, and the body into body when given.
    int request(const QByteArray &method, const QUrl &url, const QByteArray &content = {},
                QByteArray *body = nullptr);

private:
    // Reads the server's log until it reports that it listens, or gives up after 20 seconds.
    bool waitUntilReady();

    QTemporaryDir m_folder;
    QProcess m_process;
    quint16 m_port = 0;
    QString m_problem;
    QByteArray m_log;
};
