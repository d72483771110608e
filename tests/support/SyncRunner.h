#pragma once

#include "data/Database.h"
#include "sync/CardDavSync.h"

// One sync of a data file, run to its end as the program runs it.
inline Result<SyncReport> syncFile(const QString &file, const SyncAccount &account,
                                   std::chrono::milliseconds timeout = std::chrono::seconds(30))
{
    auto database = Database::open(file);
    if (!database)
        return database.status();
    CardDavSync sync(*database.value());
    sync.setTimeout(timeout);
    return sync.run(account, QStringLiteral("secret"));
}
