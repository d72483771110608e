#pragma once

#include "shared/Status.h"

#include <QHash>
#include <QString>
#include <QUrl>

class Database;

// Which contact is which card on the server, and the card as last synced, kept in the data file
// so that a later sync knows what changed on which side. Writes happen inside the caller's
// transaction, one card with its contact.
class SyncMapping
{
public:
    struct Entry
    {
        qint64 contactId = 0;
        // Relative to the server, as the server names it.
        QString href;
        // Empty while the card is not on the server (deleted there, to be uploaded again).
        QString etag;
        QString uid;
        QByteArray card;
    };

    explicit SyncMapping(Database &database);

    // Reads the mapping of an address book; a mapping made for another one is dropped, with
    // its sync token, in one transaction.
    Status load(const QUrl &addressBook);
    const QHash<QString, Entry> &byHref() const { return m_entries; }
    const Entry *findContact(qint64 contactId) const;
    QString syncToken() const { return m_syncToken; }

    Status put(const Entry &entry);
    Status remove(const QString &href);
    Status saveSyncToken(const QString &token);

private:
    Database &m_database;
    QUrl m_addressBook;
    QHash<QString, Entry> m_entries;
    QHash<qint64, QString> m_hrefByContact;
    QString m_syncToken;
};
