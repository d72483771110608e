#pragma once

#include "contacts/ContactRecord.h"
#include "shared/Status.h"

#include <QByteArray>
#include <QList>

// One contact as it travels to and from the server: the row's fields, the card's UID, and the
// properties the row does not hold (a phone's PHOTO, BDAY, X-…), kept as they came so a sync
// never strips them.
struct SyncCard
{
    ContactRecord contact;
    QString uid;
    QList<QByteArray> keptLines;

    // A failure for text that holds no card, or a card that names nobody.
    static Result<SyncCard> parse(const QByteArray &bytes);
    // vCard 3.0; equal cards give equal bytes, so a comparison tells whether anything changed.
    QByteArray write() const;
    // The same card with another row's fields.
    SyncCard withContact(const ContactRecord &other) const;
};
