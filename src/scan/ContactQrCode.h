#pragma once

#include "QrCode.h"
#include "cards/Card.h"
#include "contacts/ContactRecord.h"

#include <QStringList>

// A contact as the QR code a phone camera adds to its contacts: a vCard 3.0. A card too large
// for one code first loses what a phone needs least (the photo, the notes, then the address,
// then the web site) and says which.
struct ContactQrCode
{
    QrCode code;
    QByteArray vCard;
    // The captions of the fields left out, in the order they were dropped.
    QStringList dropped;

    static Result<ContactQrCode> of(const Card &card);
    static Result<ContactQrCode> of(const ContactRecord &contact);
};
