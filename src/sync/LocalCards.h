#pragma once

#include "SyncMapping.h"
#include "cards/Card.h"
#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QHash>
#include <QList>
#include <functional>
#include <optional>

class Database;

// The data file's side of a sync: the contacts that take part (never the placeholder or the
// template), and each change written with its mapping row in a transaction of its own, so an
// interrupted sync leaves every card either applied or not.
class LocalCards
{
public:
    LocalCards(Database &database, SyncMapping &mapping);

    Result<QList<ContactRecord>> readAll();
    // The contacts among those changed that are still in the file.
    Result<QList<ContactRecord>> readChanged(const SyncMapping::Changes &changes);
    // No value when the contact is no longer in the file.
    Result<std::optional<ContactRecord>> read(qint64 contactId);

    // The contact whose kept card carries each UID.
    Result<QHash<QString, qint64>> keptUids();
    // The contact's kept card as its row now stands.
    Result<Card> keptCard(const ContactRecord &contact);
    // Writes the contact (a new row when its ID is 0), keeps the entry's card (the server's) with
    // the row's fields written into it and the server's values the row replaced beside them, and
    // then the entry with the contact's ID.
    Status store(const ContactRecord &contact, SyncMapping::Entry entry);
    Status storeMapping(const SyncMapping::Entry &entry);
    // Runs the writes in one transaction, or in the caller's.
    Status inOneTransaction(const std::function<Status()> &writes);
    // Keeps the entry and counts its contact as changed, so that it goes up to the server even if
    // this sync ends before the upload.
    Status storeForUpload(const SyncMapping::Entry &entry);
    Status dropMapping(const QString &href);
    Status storeToken(const QString &token);
    Status storeChecked(qint64 upTo);
    // Deletes the contact with its mapping row.
    Status remove(const SyncMapping::Entry &entry);

private:
    Result<QList<ContactRecord>> readWhere(const QString &condition, const QVariantList &values);
    Result<qint64> write(const ContactRecord &contact);

    Database &m_database;
    SyncMapping &m_mapping;
};
