#pragma once

#include "shared/Status.h"

class Database;

// Whole-row commands of the contact list: the template, deleting and regrouping. A result of false
// means the row was not there.
namespace ContactRows {

// The template row ("模板"/"模板"), created with the default number labels on first use.
Result<qint64> templateRow(Database &database);
Result<bool> exists(Database &database, qint64 id);
Result<bool> remove(Database &database, qint64 id);
Result<bool> setGroup(Database &database, qint64 id, const QString &group);

} // namespace ContactRows
