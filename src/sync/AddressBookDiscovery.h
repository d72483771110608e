#pragma once

#include "shared/Status.h"

#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>

struct Multistatus;

struct AddressBookInfo
{
    QUrl url;
    QString displayName;
};

// Finds the address books of a user from the server address: current-user-principal, then
// addressbook-home-set, then the collections listed there. Every address the server names must
// be on the server the user typed.
class AddressBookDiscovery : public QObject
{
    Q_OBJECT
public:
    explicit AddressBookDiscovery(QObject *parent = nullptr);
    ~AddressBookDiscovery() override;

    // Each request fails after this long without an answer; 30 s unless set.
    void setTimeout(std::chrono::milliseconds perRequest);
    // finished follows exactly once, never from inside this call.
    void discover(const QUrl &server, const QString &user, const QString &password);
    // finished follows with a failure.
    void cancel();

signals:
    void finished(const Result<QList<AddressBookInfo>> &books);

private:
    struct Run;
    void ask(const QUrl &url, const QByteArray &body, const QByteArray &depth,
             std::function<void(const Multistatus &, const QUrl &)> onAnswer);
    // Goes on only when the server named an address the password may go to.
    void followTo(const QUrl &given, const std::function<void()> &next);
    void findPrincipal(const QUrl &at, bool tryWellKnown);
    void findHome(const QUrl &principal);
    void listBooks(const QUrl &home);
    void finish(const Result<QList<AddressBookInfo>> &books);

    std::unique_ptr<Run> m_run;
    std::chrono::milliseconds m_timeout;
};
