#pragma once

#include "CardFormat.h"
#include "contacts/ContactRecord.h"

#include <QByteArray>
#include <QList>

// Writes one contact as a card, strictly: UTF-8, CR LF, every text escaped. 3.0 and 4.0 fold
// lines at 75 octets, never inside a character; 2.1 writes non-ASCII text as quoted-printable
// UTF-8, which phones expect.
namespace VCardWriter {

// otherLines: content lines of other properties (UID, a phone's PHOTO), written as given,
// folded, before the card's end.
QByteArray write(const ContactRecord &contact, CardFormat version,
                 const QList<QByteArray> &otherLines = {});
// The same card added to the end of out.
void append(QByteArray &out, const ContactRecord &contact, CardFormat version,
            const QList<QByteArray> &otherLines = {});

} // namespace VCardWriter
