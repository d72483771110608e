#pragma once

#include <QDateTime>
#include <QString>

namespace Greeting {

// The status bar's greeting, with the date and time in the system's general format.
QString text(const QString &userName, const QDateTime &now);

} // namespace Greeting
