#pragma once

#include "shared/Status.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QUrl>
#include <optional>

class Database;

// Which contact is which card on the server, and the card as last synced, kept in the data file
// so that a later sync knows what changed on which side. Entries are looked up as they are
// needed, never all read, so a sync with little to do reads little. Writes happen inside the
// caller's transaction, one card with its contact.
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

    // Reads the mapping's state for an address book, known by its canonical address however it
    // is spelt. Links made with another address book are dropped, with the sync token, in one
    // transaction when relink is true; else nothing changes and the other address book is the
    // value. An empty value: loaded.
    Result<QUrl> load(const QUrl &addressBook, bool relink);
    // No card was linked when the mapping was loaded.
    bool startedEmpty() const { return m_startedEmpty; }
    QString syncToken() const { return m_syncToken; }

    Result<std::optional<Entry>> find(const QString &href) const;
    Result<std::optional<Entry>> findContact(qint64 contactId) const;
    Result<std::optional<Entry>> findUid(const QString &uid) const;
    // Every linked card's ETag by its path, for comparing with a full listing.
    Result<QHash<QString, QString>> etags() const;
    Result<int> linkCount() const;

    Status put(const Entry &entry);
    Status remove(const QString &href);
    Status saveSyncToken(const QString &token);
    Result<int> contactCount() const;

    // Contacts whose change counter passed the last sync's mark, up to the counter's value when
    // asked: whatever changed later is the next sync's.
    struct Changes
    {
        qint64 after = 0;
        qint64 upTo = 0;
    };
    Result<Changes> changesSinceChecked() const;
    // Linked cards whose contact, among those changed, is no longer in the file: to be deleted on
    // the server.
    Result<QList<Entry>> linkedContactsGone(const Changes &changes) const;
    // Everything up to the counter has been compared with its card.
    Status saveChecked(qint64 upTo);

private:
    Status startOver();
    Result<std::optional<Entry>> findWhere(const QString &condition, const QVariant &value) const;

    Database &m_database;
    QUrl m_addressBook;
    QString m_syncToken;
    qint64 m_checked = 0;
    bool m_startedEmpty = true;
};
