#pragma once

#include "SyncMapping.h"
#include "cards/Card.h"
#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QList>
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
    // No value when the contact is no longer in the file.
    Result<std::optional<ContactRecord>> read(qint64 contactId);

    // The contact's kept card as its row now stands.
    Result<Card> keptCard(const ContactRecord &contact);
    // Writes the contact (a new row when its ID is 0), keeps the entry's card (the server's) with
    // the row's fields written into it and the server's values the row replaced beside them, and
    // then the entry with the contact's ID.
    Status store(const ContactRecord &contact, SyncMapping::Entry entry);
    Status storeMapping(const SyncMapping::Entry &entry);
    Status dropMapping(const QString &href);
    Status storeToken(const QString &token);
    // Deletes the contact with its mapping row.
    Status remove(const SyncMapping::Entry &entry);

private:
    Result<qint64> write(const ContactRecord &contact);

    Database &m_database;
    SyncMapping &m_mapping;
};
