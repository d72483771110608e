#pragma once

#include "SyncAccount.h"
#include "SyncReport.h"
#include "shared/Status.h"

#include <QObject>
#include <QStringList>
#include <QUrl>
#include <chrono>
#include <memory>

class Database;

// What the user allowed that a sync would otherwise stop and ask for.
struct SyncPermissions
{
    // Drop the links made with another address book and start over with this one.
    bool relink = false;
    // Delete however many contacts the server's side says are gone.
    bool massDeletion = false;
};

// Keeps the contacts of a data file and one CardDAV address book in step, both ways.
class CardDavSync : public QObject
{
    Q_OBJECT
public:
    explicit CardDavSync(Database &database, QObject *parent = nullptr);
    ~CardDavSync() override;

    // Each request fails after this long without an answer; 30 s unless set.
    void setTimeout(std::chrono::milliseconds perRequest);
    // finished follows exactly once, never from inside this call.
    void start(const SyncAccount &account, const QString &password,
               SyncPermissions permissions = {});
    // start(), then waits in a local event loop for the end, as a command-line program or a
    // modal progress window does; progress and cancel work meanwhile.
    Result<SyncReport> run(const SyncAccount &account, const QString &password,
                           SyncPermissions permissions = {});
    // Stops after the card being applied; finished follows with a failure.
    void cancel();

signals:
    // Cards applied or sent so far; the total grows once, when the local changes are counted
    // after the server's.
    void progress(int done, int total);
    void finished(const Result<SyncReport> &report);

private:
    class Run;
    void finish(const Result<SyncReport> &report);

    Database &m_database;
    std::unique_ptr<Run> m_run;
    std::chrono::milliseconds m_timeout;
};
