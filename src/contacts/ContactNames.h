#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// How a contact is named on screen, and the two rows that are not real contacts.
namespace ContactNames {

// The placeholder row of a contact being created, and the template row.
QString placeholderName();
QString templateName();

// Strips blanks (see Blanks: the full-width one too) from both ends; tabs are kept.
QStringView trimBlanks(QStringView text);
// Family name and given name, each without outer blanks, joined by one blank.
QString displayName(QStringView firstName, QStringView lastName);
// True for the placeholder and the template, which are never listed, searched or exported.
bool isReserved(QStringView displayName);
bool isReserved(QStringView firstName, QStringView lastName);

} // namespace ContactNames
