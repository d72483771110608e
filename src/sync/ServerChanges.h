#pragma once

#include "SyncMapping.h"
#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QSet>
#include <QStringList>
#include <memory>
#include <optional>

class LocalCards;
struct SyncCard;
struct SyncReport;
class FirstSyncPairing;

// Brings what the server says about one card into the data file: a new card becomes a contact
// (or is paired with one on a first sync), a changed card is merged with its contact, a deleted
// card deletes its contact unless the contact changed here. Also tells whether a contact changed
// here since its card was last synced, which the uploads ask too.
class ServerChanges
{
public:
    ServerChanges(SyncMapping &mapping, LocalCards &local, SyncReport &report);
    ~ServerChanges();

    // No card was linked when the sync began: cards are paired with contacts before copying.
    void setFirstSync(bool firstSync) { m_firstSync = firstSync; }

    // A group card (KIND:group) becomes no contact: it is kept for applyGroups().
    Status applyCard(const QString &path, const QString &etag, const QByteArray &bytes);
    Status applyRemoval(const QString &path);
    // The members of the group cards applied, once every card is in, take the group's name as
    // their relationship group, as if the server's cards had said so: nothing goes back up.
    Status applyGroups();

    // A card that cannot be read stays as it is on both sides, and the user hears of it.
    void skipUnreadable(const QString &path);
    bool isUnreadable(const QString &path) const { return m_unreadable.contains(path); }
    bool hasUnreadable() const { return !m_unreadable.isEmpty(); }

    // Uploads start from the contact's kept card, which the last download updated.
    QByteArray cardOf(const ContactRecord &contact, const SyncMapping::Entry &entry);
    bool changedHere(const ContactRecord &contact, const SyncMapping::Entry &entry);
    // The three-way merge of the contact here and the server's card, from the card last synced.
    static ContactRecord mergeInto(const ContactRecord &local, const SyncMapping::Entry &entry,
                                   const SyncCard &remote);

private:
    struct Group
    {
        QString name;
        QStringList memberUids;
    };
    static std::optional<Group> groupIn(const QByteArray &bytes);
    Status regroup(const QString &memberUid, const QString &name);
    Result<std::optional<ContactRecord>> pairedContact(const SyncCard &remote);

    SyncMapping &m_mapping;
    LocalCards &m_local;
    SyncReport &m_report;
    bool m_firstSync = false;
    std::unique_ptr<FirstSyncPairing> m_pairing;
    QSet<QString> m_unreadable;
    QList<Group> m_groups;
};
