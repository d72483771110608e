#pragma once

#include "cards/Card.h"
#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QByteArray>

// One contact as it travels to and from the server: its whole card, the row it projects to and
// the card's UID. Written in the version it came in, so a sync never strips or converts a
// phone's card.
struct SyncCard
{
    ContactRecord contact;
    Card card;
    QString uid;

    // A failure for text that holds no card, or a card that names nobody.
    static Result<SyncCard> parse(const QByteArray &bytes);
    // Equal cards give equal bytes, so a comparison tells whether anything changed.
    QByteArray write() const;
    // The same card with another row's fields written into it, property by property.
    SyncCard withContact(const ContactRecord &other) const;
};
