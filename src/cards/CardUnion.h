#pragma once

#include "Card.h"
#include "contacts/ContactRecord.h"

// One card from several cards of the same person (a duplicate merge): every value of each card
// once, the row's fields (the values the user chose) as the preferred ones. A value the row
// replaced stays as a property of its own; a grouped property keeps its label in a fresh group.
namespace CardUnion {

// cards: the kept contact's card first.
Card unite(const QList<Card> &cards, const ContactRecord &row);

} // namespace CardUnion
