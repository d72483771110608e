#pragma once

#include "contacts/ContactRecord.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>

// On the first sync with an address book both sides may already hold the same people: a server
// card and a local contact with the same name that share a phone number or an e-mail address are
// one person, linked instead of copied. A card that fits more than one contact, or a contact
// another card already took, is ambiguous and left unlinked.
class FirstSyncPairing
{
public:
    struct Match
    {
        // 0: no contact to link with.
        qint64 contactId = 0;
        bool ambiguous = false;
    };

    explicit FirstSyncPairing(const QList<ContactRecord> &unlinked);

    // The contact the card is, claimed so that no other card takes it.
    Match claim(const ContactRecord &card);

private:
    QHash<QString, QList<ContactRecord>> m_byName;
    QSet<qint64> m_claimed;
};
