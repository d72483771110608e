#pragma once

#include "CardExtra.h"
#include "CsvHeaders.h"
#include "contacts/ContactRecord.h"

// What one CSV record becomes: the contact row, and every value the row has no field for.
struct CsvContact
{
    ContactRecord row;
    QList<CardExtra> extras;
};

namespace CsvRecord {

// Fills the row the way a person reads the record: our own columns as they are, the business
// address before the home one, the first four numbers, the first e-mail and web address; every
// other value, and the whole of a value the row holds in part, becomes an extra. False, with a
// reason, for a record that names nobody.
bool toContact(const QList<CsvHeaders::Column> &columns, const QStringList &fields,
               CsvContact &contact, QString &reason);

} // namespace CsvRecord
