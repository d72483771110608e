#pragma once

#include <QString>

// How a contact is named everywhere: family name, one blank, given name, each trimmed.
namespace ContactNames {

QString displayName(const QString &firstName, const QString &lastName);
// The placeholder of a contact being created, and the template row: never listed or reported.
bool isReserved(const QString &displayName);
QString placeholderName();
QString templateName();

} // namespace ContactNames
