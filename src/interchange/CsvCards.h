#pragma once

#include "CardExtra.h"
#include "cards/Card.h"
#include "contacts/ContactRecord.h"

// A CSV line's contact as a whole card: the row's fields, then every value the row has no field
// for (or holds only in part) as the card property it is.
namespace CsvCards {

Card make(const ContactRecord &row, const QList<CardExtra> &extras);
// The row that shows the card: the card's view, with what only the row holds (its ID and the
// third address line) kept.
ContactRecord view(const Card &card, const ContactRecord &row);

} // namespace CsvCards
