#pragma once

#include "Card.h"

#include <QByteArrayView>

// A quick reading of the plain form the writer keeps cards in: CR LF line ends, folded lines,
// parameters as NAME=value lists, UTF-8 text. An export reads one per contact, and the general
// reader's tolerance of every sender's habits costs more than the rest of the export.
namespace KeptCardReader {

// False, with card left unspecified, for anything but that plain form (quotes, carets, 2.1
// words, an encoding, a stray line end, a line the general reader would report): the general
// reader then reads it. Where this reads a card, the general reader reads the same.
bool read(QByteArrayView kept, Card &card);

} // namespace KeptCardReader
