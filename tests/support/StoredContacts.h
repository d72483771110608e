#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// Reads back what really reached the Contacts table of a data file.
namespace StoredContacts {

QVariant field(const QString &file, qint64 id, const QString &column);
QVariantList row(const QString &file, qint64 id);
int count(const QString &file, const QString &where = QStringLiteral("1 = 1"));
// The group of every contact, in the order they were added.
QStringList groups(const QString &file);

} // namespace StoredContacts
