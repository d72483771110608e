#pragma once

#include "Card.h"

#include <QByteArray>

// Writes a kept card in the version asked for, strictly: UTF-8, CR LF, lines folded at 75
// octets and never inside a character. 3.0 and 2.1 never carry what only 4.0 knows (KIND,
// ALTID, PREF=, VALUE=uri numbers); 2.1 writes non-ASCII text as quoted-printable UTF-8, which
// handsets expect.
namespace CardWriter {

QByteArray write(const Card &card, CardVersion version);
// The same card added to the end of out.
void append(QByteArray &out, const Card &card, CardVersion version);
// The kept form: 4.0, with the version the card came in, read back by CardReader as it was.
QByteArray keep(const Card &card);

} // namespace CardWriter
