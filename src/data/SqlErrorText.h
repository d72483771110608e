#pragma once

#include <QString>

class QSqlError;

namespace SqlErrorText {

// A message a user can act on (locked, read-only, full, too long), followed by the engine's text.
QString describe(const QSqlError &error);

} // namespace SqlErrorText
