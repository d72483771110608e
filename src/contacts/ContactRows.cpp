#include "ContactRows.h"

#include "data/Database.h"
#include "data/Transaction.h"

namespace {

const QStringList defaultLabels { QStringLiteral("电话"), QStringLiteral("手机"),
                                  QStringLiteral("传真"), QStringLiteral("寻呼机") };

Result<QVariant> findNamed(Database &database, const QString &first, const QString &last)
{
    return database.scalar(
        QStringLiteral(
            "SELECT ID FROM Contacts WHERE FirstName = ? AND LastName = ? ORDER BY ID LIMIT 1"),
        { first, last });
}

Result<qint64> insertWithLabels(Database &database, const QString &first, const QString &last)
{
    return database.insert(
        QStringLiteral("INSERT INTO Contacts (FirstName, LastName, Combo1, Combo2, Combo3, Combo4) "
                       "VALUES (?, ?, ?, ?, ?, ?)"),
        { first, last, defaultLabels.at(0), defaultLabels.at(1), defaultLabels.at(2),
          defaultLabels.at(3) });
}

} // namespace

namespace ContactRows {

Result<qint64> templateRow(Database &database)
{
    Transaction transaction(database);
    if (Status begun = transaction.begin(); !begun)
        return begun;
    const auto existing = findNamed(database, QStringLiteral("模板"), QStringLiteral("模板"));
    if (!existing)
        return existing.status();
    if (!existing.value().isNull())
        return existing.value().toLongLong();
    const auto created = insertWithLabels(database, QStringLiteral("模板"), QStringLiteral("模板"));
    if (!created)
        return created;
    if (Status committed = transaction.commit(); !committed)
        return committed;
    return created;
}

Result<bool> exists(Database &database, qint64 id)
{
    const auto found
        = database.scalar(QStringLiteral("SELECT COUNT(*) FROM Contacts WHERE ID = ?"), { id });
    if (!found)
        return found.status();
    return found.value().toInt() > 0;
}

Result<bool> remove(Database &database, qint64 id)
{
    const auto removed
        = database.execute(QStringLiteral("DELETE FROM Contacts WHERE ID = ?"), { id });
    if (!removed)
        return removed.status();
    return removed.value() > 0;
}

Result<bool> setGroup(Database &database, qint64 id, const QString &group)
{
    const auto changed = database.execute(
        QStringLiteral("UPDATE Contacts SET Type = ? WHERE ID = ?"), { group, id });
    if (!changed)
        return changed.status();
    return changed.value() > 0;
}

} // namespace ContactRows
