#pragma once

#include "contacts/ContactRecord.h"

// Three-way merge of a contact changed on both sides since the last sync, field by field against
// the card as last synced. A field changed on one side takes that side's value; a field both
// sides changed keeps the local value, and the server's value stays in the kept card as a
// property of its own (see LocalCards::store), so nothing either side typed is lost.
namespace CardMerge {

ContactRecord merge(const ContactRecord &base, const ContactRecord &local,
                    const ContactRecord &remote);

} // namespace CardMerge
