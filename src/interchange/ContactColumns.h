#pragma once

#include "contacts/ContactRecord.h"

class TextRow;

#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

// The Contacts columns a card carries, in one order for reading and writing rows.
namespace ContactColumns {

QString list();
// The number of columns in list().
constexpr int count = 20;
QVariantList values(const ContactRecord &contact);
// Reads the columns of list() from position first on.
ContactRecord fromQuery(const QSqlQuery &query, int first = 0);
// The same from a bulk read (Database::selectText).
ContactRecord fromText(const TextRow &row, int first = 0);
// The same from the UTF-8 texts of the count columns, in the order of list().
ContactRecord fromUtf8(const QByteArrayView *columns);

} // namespace ContactColumns
