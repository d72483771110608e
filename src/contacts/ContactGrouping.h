#pragma once

#include "shared/Status.h"

#include <QList>
#include <QString>
#include <QVariantList>

class Database;

// The contact list's two levels: every relationship category in the user's order, then the
// groups contacts use that are no category; under each group its contacts in the pinyin order of
// their family names.
// Groups are read with their sizes first and their contacts one group at a time, so a large file
// shows its list without reading every contact.
namespace ContactGrouping {

struct Contact
{
    qint64 id = 0;
    QString displayName;
};

struct Group
{
    // Exactly as stored, not trimmed.
    QString name;
    // The Type values stored for the group's contacts, one for each spelling the file's own
    // comparison tells apart; empty for a category no contact uses.
    QVariantList types;
    // Listed contacts only: the placeholder and the template are not counted.
    int contactCount = 0;
};

// Groups match without regard to letter case.
QString groupKey(const QString &name);

Result<QList<Group>> groups(Database &database);
Result<QList<Contact>> contacts(Database &database, const Group &group);

} // namespace ContactGrouping
