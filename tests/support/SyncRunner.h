#pragma once

#include "data/Database.h"
#include "sync/CardDavSync.h"

#include <QEventLoop>
#include <QTimer>

// One sync of a data file, run to its end as the program runs it.
inline Result<SyncReport> syncFile(const QString &file, const SyncAccount &account,
                                   std::chrono::milliseconds timeout = std::chrono::seconds(30))
{
    auto database = Database::open(file);
    if (!database)
        return database.status();
    CardDavSync sync(*database.value());
    sync.setTimeout(timeout);
    Result<SyncReport> outcome = Status::failure(QStringLiteral("the sync never finished"));
    QEventLoop loop;
    QObject::connect(&sync, &CardDavSync::finished, &loop, [&](const Result<SyncReport> &report) {
        outcome = report;
        loop.quit();
    });
    sync.start(account, QStringLiteral("secret"));
    loop.exec();
    return outcome;
}
