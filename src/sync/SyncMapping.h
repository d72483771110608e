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

    // Reads the mapping of an address book, known by its canonical address however it is spelt.
    // Links made with another address book are dropped, with the sync token, in one transaction
    // when relink is true; else nothing changes and the other address book is the value. An
    // empty value: loaded.
    Result<QUrl> load(const QUrl &addressBook, bool relink);
    const QHash<QString, Entry> &byHref() const { return m_entries; }
    const Entry *findContact(qint64 contactId) const;
    QString syncToken() const { return m_syncToken; }

    Status put(const Entry &entry);
    Status remove(const QString &href);
    Status saveSyncToken(const QString &token);
    // Linked cards whose contact is no longer in the file: to be deleted on the server.
    Result<int> linkedContactsGone() const;
    Result<int> contactCount() const;

private:
    Status startOver();

    Database &m_database;
    QUrl m_addressBook;
    QHash<QString, Entry> m_entries;
    QHash<qint64, QString> m_hrefByContact;
    QString m_syncToken;
};
