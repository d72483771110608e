#include "ContactGrouping.h"

#include "ContactNames.h"
#include "data/Database.h"

#include <QHash>

namespace {

// Groups match without regard to letter case, as the file's text comparisons do.
QString groupKey(const QString &name)
{
    return name.toCaseFolded();
}

Result<QStringList> groupNames(Database &database)
{
    QStringList names;
    QStringList keys;
    auto addUnlessListed = [&](const QString &name) {
        if (name.isEmpty() || keys.contains(groupKey(name)))
            return;
        names << name;
        keys << groupKey(name);
    };
    Status status = database.select(
        QStringLiteral("SELECT Name FROM ContactType WHERE Type = 3 ORDER BY Number, ID"), {},
        [&](const QSqlQuery &row) { addUnlessListed(row.value(0).toString()); });
    if (status)
        status = database.select(
            QStringLiteral("SELECT Type FROM Contacts GROUP BY Type"), {},
            [&](const QSqlQuery &row) { addUnlessListed(row.value(0).toString()); });
    if (!status)
        return status;
    // A name of blanks only makes no group.
    names.removeIf([](const QString &name) { return name.trimmed().isEmpty(); });
    return names;
}

} // namespace

namespace ContactGrouping {

Result<Tree> load(Database &database)
{
    const auto names = groupNames(database);
    if (!names)
        return names.status();
    Tree tree;
    QHash<QString, qsizetype> groupIndex;
    for (const QString &name : names.value()) {
        groupIndex.insert(groupKey(name), tree.groups.size());
        tree.groups.append({ name, {} });
    }
    // Contacts repeat a few group names many times: fold each distinct spelling once.
    QHash<QString, qsizetype> groupOfType;
    auto groupOf = [&](const QString &type) {
        auto known = groupOfType.constFind(type);
        if (known == groupOfType.constEnd())
            known = groupOfType.insert(type, groupIndex.value(groupKey(type), -1));
        return *known;
    };
    Status status = database.select(
        QStringLiteral("SELECT ID, FirstName, LastName, Type FROM Contacts ORDER BY FirstName"), {},
        [&](const QSqlQuery &row) {
            const qsizetype group = groupOf(row.value(3).toString());
            if (group < 0)
                return;
            const QString name
                = ContactNames::displayName(row.value(1).toString(), row.value(2).toString());
            if (ContactNames::isReserved(name))
                return;
            tree.groups[group].contacts.append({ row.value(0).toLongLong(), name });
            ++tree.contactCount;
        });
    if (!status)
        return status;
    return tree;
}

} // namespace ContactGrouping
