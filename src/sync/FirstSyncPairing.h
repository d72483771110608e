#pragma once

#include "contacts/ContactRecord.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

// On the first sync with an address book both sides may already hold the same people: a server
// card with the UID of a local contact's kept card, or else with the same name and a shared phone
// number or e-mail address, is that person, linked instead of copied. A card that fits more than
// one contact, or a contact another card already took, is ambiguous and left unlinked.
class FirstSyncPairing
{
public:
    struct Match
    {
        // 0: no contact to link with.
        qint64 contactId = 0;
        bool ambiguous = false;
    };

    // keptUids: the contact whose kept card carries each UID.
    explicit FirstSyncPairing(const QList<ContactRecord> &unlinked,
                              const QHash<QString, qint64> &keptUids = {});

    // The contact the card is, claimed so that no other card takes it.
    Match claim(const ContactRecord &card, const QString &uid = {});

private:
    QHash<QString, QList<ContactRecord>> m_byName;
    QHash<QString, qint64> m_byUid;
    QSet<qint64> m_claimed;
};
