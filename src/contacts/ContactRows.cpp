#include "ContactRows.h"

#include "ContactNames.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/Transaction.h"

namespace {

const QStringList defaultLabels { QStringLiteral("电话"), QStringLiteral("手机"),
                                  QStringLiteral("传真"), QStringLiteral("寻呼机") };

// Every field after ID, FirstName and LastName: the values a new contact takes from the template.
QStringList templateFields()
{
    return Schema::findTable(QStringLiteral("Contacts"))->columns.mid(3);
}

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

Result<qint64> insertFromTemplate(Database &database, qint64 templateId)
{
    const QStringList fields = templateFields();
    const auto values = database.records(QStringLiteral("SELECT %1 FROM Contacts WHERE ID = ?")
                                             .arg(fields.join(QStringLiteral(", "))),
                                         { templateId });
    if (!values)
        return values.status();
    QVariantList row { QStringLiteral("姓"), QStringLiteral("名字") };
    // Only ordinary blanks go: full-width spaces and line breaks are part of a value.
    for (int i = 0; i < fields.size(); ++i)
        row << ContactNames::trimBlanks(values.value().first().value(i).toString()).toString();
    return database.insert(
        QStringLiteral("INSERT INTO Contacts (FirstName, LastName, %1) VALUES (?, ?%2)")
            .arg(fields.join(QStringLiteral(", ")), QStringLiteral(", ?").repeated(fields.size())),
        row);
}

} // namespace

namespace ContactRows {

Result<qint64> placeholder(Database &database)
{
    Transaction transaction(database);
    if (Status begun = transaction.begin(); !begun)
        return begun;
    const auto existing = findNamed(database, QStringLiteral("姓"), QStringLiteral("名字"));
    if (!existing)
        return existing.status();
    if (!existing.value().isNull())
        return existing.value().toLongLong();
    const auto templateId = findNamed(database, QStringLiteral("模板"), QStringLiteral("模板"));
    if (!templateId)
        return templateId.status();
    const auto created = templateId.value().isNull()
        ? insertWithLabels(database, QStringLiteral("姓"), QStringLiteral("名字"))
        : insertFromTemplate(database, templateId.value().toLongLong());
    if (!created)
        return created;
    if (Status committed = transaction.commit(); !committed)
        return committed;
    return created;
}

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
