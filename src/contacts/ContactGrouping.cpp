#include "ContactGrouping.h"

#include "ContactNames.h"
#include "TextOrder.h"
#include "data/Database.h"
#include "data/GroupCounts.h"
#include "data/ReservedRows.h"
#include "shared/Blanks.h"

#include <QHash>
#include <functional>

namespace {

// One row per Type value (the file compares Type without regard to ASCII case) with the number
// of its contacts that are listed.
Status countByType(Database &database,
                   const std::function<void(const QVariant &type, int listed)> &visit)
{
    const auto kept = GroupCounts::read(database, visit);
    if (!kept || kept.value())
        return kept.status();
    // A file that cannot be written holds no counts: they are counted here instead.
    return database.select(
        QStringLiteral("SELECT Type, SUM(CASE WHEN %1 THEN 0 ELSE 1 END) FROM Contacts "
                       "GROUP BY Type")
            .arg(ReservedRows::sqlTest()),
        {}, [&](const QSqlQuery &row) { visit(row.value(0), row.value(1).toInt()); });
}

class GroupList
{
public:
    void addCategory(const QString &name)
    {
        if (!name.isEmpty() && !m_index.contains(ContactGrouping::groupKey(name)))
            append(name);
    }

    void addType(const QVariant &type, int listed)
    {
        const QString name = type.toString();
        if (name.isEmpty())
            return;
        const QString key = ContactGrouping::groupKey(name);
        if (!m_index.contains(key))
            append(name);
        ContactGrouping::Group &group = m_groups[m_index.value(key)];
        group.types << type;
        group.contactCount += listed;
    }

    QList<ContactGrouping::Group> take()
    {
        // A name of blanks only makes no group.
        m_groups.removeIf(
            [](const ContactGrouping::Group &group) { return Blanks::onlyBlanks(group.name); });
        return std::move(m_groups);
    }

private:
    void append(const QString &name)
    {
        m_index.insert(ContactGrouping::groupKey(name), m_groups.size());
        m_groups.append({ name, {}, 0 });
    }

    QList<ContactGrouping::Group> m_groups;
    QHash<QString, qsizetype> m_index;
};

} // namespace

namespace ContactGrouping {

QString groupKey(const QString &name)
{
    return name.toCaseFolded();
}

Result<QList<Group>> groups(Database &database)
{
    GroupList list;
    Status status = database.select(
        QStringLiteral("SELECT Name FROM ContactType WHERE Type = 3 ORDER BY Number, ID"), {},
        [&](const QSqlQuery &row) { list.addCategory(row.value(0).toString()); });
    if (status)
        status = countByType(database,
                             [&](const QVariant &type, int listed) { list.addType(type, listed); });
    if (!status)
        return status;
    return list.take();
}

Result<QList<Contact>> contacts(Database &database, const Group &group)
{
    QList<Contact> found;
    if (group.types.isEmpty())
        return found;
    QStringList marks;
    marks.fill(QStringLiteral("?"), group.types.size());
    QStringList firstNames;
    Status status = database.selectText(
        QStringLiteral(
            "SELECT ID, FirstName, LastName FROM Contacts WHERE Type IN (%1) ORDER BY FirstName")
            .arg(marks.join(QStringLiteral(", "))),
        group.types, [&](const TextRow &row) {
            const QString first = QString::fromUtf8(row.text(1));
            const QString name = ContactNames::displayName(first, QString::fromUtf8(row.text(2)));
            if (ContactNames::isReserved(name))
                return;
            found.append({ row.integer(0), name });
            firstNames.append(first);
        });
    if (!status)
        return status;
    // The file's own order is by code point; family names stand in pinyin order.
    QList<Contact> ordered;
    ordered.reserve(found.size());
    for (const int position : TextOrder::ascending(firstNames, TextOrder::Start::Name))
        ordered.append(std::move(found[position]));
    return ordered;
}

} // namespace ContactGrouping
