#pragma once

#include "shared/Status.h"

#include <QList>
#include <QString>

class Database;

// The contact list's two levels: every relationship category in the user's order, then the
// groups contacts use that are no category; under each group its contacts in family-name order.
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
    QList<Contact> contacts;
};

struct Tree
{
    QList<Group> groups;
    int contactCount = 0;
};

Result<Tree> load(Database &database);

} // namespace ContactGrouping
