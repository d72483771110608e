#pragma once

#include "SyncMapping.h"
#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QList>

class Collection;
class Database;
class LocalCards;
class ServerChanges;

// One card a sync sends: a contact's card to put, or a linked card to delete.
struct Upload
{
    ContactRecord contact;
    SyncMapping::Entry entry;
    bool remove = false;
    int attempts = 0;
    // The server's card was fetched and compared: no strong ETag to send If-Match with.
    bool compared = false;
};

// What changed here since the last sync, to go up: only the contacts whose change counter passed
// the last sync's mark are read, each compared with its card as last synced.
class UploadPlan
{
public:
    UploadPlan(Database &database, SyncMapping &mapping, LocalCards &local, ServerChanges &changes,
               const Collection &collection);

    // The uploads, with the names of new cards on record before any is sent; compared is the
    // number of contacts read.
    Result<QList<Upload>> make(int &compared);
    // Every change up to the mark has been compared and sent.
    Status markChecked();

private:
    Result<QString> uidForNewCard(const ContactRecord &contact,
                                  const QList<SyncMapping::Entry> &named);
    Status keepNames(const QList<SyncMapping::Entry> &named);

    Database &m_database;
    SyncMapping &m_mapping;
    LocalCards &m_local;
    ServerChanges &m_changes;
    const Collection &m_collection;
    qint64 m_checkedUpTo = 0;
};
