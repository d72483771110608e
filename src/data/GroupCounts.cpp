#include "GroupCounts.h"

#include "Database.h"
#include "ReservedRows.h"
#include "Transaction.h"

#include <QSqlQuery>
#include <QStringList>

namespace {

const QString table = QStringLiteral("ContactGroupCounts");

QString listed(const QString &row)
{
    return QStringLiteral("(CASE WHEN %1 THEN 0 ELSE 1 END)").arg(ReservedRows::sqlTest(row));
}

// No conflict clause: a statement's own clause would override one inside a trigger.
QString addRow(const QString &row)
{
    return QStringLiteral("INSERT INTO %1 (Type, Rows, Listed) SELECT %2.Type, 0, 0 "
                          "WHERE %2.Type IS NOT NULL AND NOT EXISTS "
                          "(SELECT 1 FROM %1 WHERE Type = %2.Type); "
                          "UPDATE %1 SET Rows = Rows + 1, Listed = Listed + %3 "
                          "WHERE Type = %2.Type; ")
        .arg(table, row, listed(row));
}

QString removeRow(const QString &row)
{
    return QStringLiteral("UPDATE %1 SET Rows = Rows - 1, Listed = Listed - %3 "
                          "WHERE Type = %2.Type; "
                          "DELETE FROM %1 WHERE Type = %2.Type AND Rows <= 0; ")
        .arg(table, row, listed(row));
}

QList<GroupCounts::Definition> buildDefinitions()
{
    const QString trigger = QStringLiteral("trigger");
    return {
        { QStringLiteral("table"), table,
          QStringLiteral("CREATE TABLE %1 (Type TEXT COLLATE NOCASE PRIMARY KEY, "
                         "Rows INTEGER NOT NULL, Listed INTEGER NOT NULL)")
              .arg(table) },
        { trigger, table + QStringLiteral("Insert"),
          QStringLiteral("CREATE TRIGGER %1Insert AFTER INSERT ON Contacts BEGIN %2END")
              .arg(table, addRow(QStringLiteral("NEW"))) },
        { trigger, table + QStringLiteral("Delete"),
          QStringLiteral("CREATE TRIGGER %1Delete AFTER DELETE ON Contacts BEGIN %2END")
              .arg(table, removeRow(QStringLiteral("OLD"))) },
        { trigger, table + QStringLiteral("Update"),
          QStringLiteral("CREATE TRIGGER %1Update AFTER UPDATE OF Type, FirstName, LastName ON "
                         "Contacts BEGIN %2%3END")
              .arg(table, removeRow(QStringLiteral("OLD")), addRow(QStringLiteral("NEW"))) },
    };
}

Result<bool> complete(Database &database)
{
    const auto present
        = database.scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name LIKE ?"),
                          { table + QLatin1Char('%') });
    if (!present)
        return present.status();
    return present.value().toInt() == GroupCounts::definitions().size();
}

Status rebuild(Database &database)
{
    for (const GroupCounts::Definition &definition : GroupCounts::definitions()) {
        const auto dropped = database.execute(
            QStringLiteral("DROP %1 IF EXISTS %2").arg(definition.type.toUpper(), definition.name));
        if (!dropped)
            return dropped.status();
    }
    for (const GroupCounts::Definition &definition : GroupCounts::definitions()) {
        if (const auto made = database.execute(definition.createStatement); !made)
            return made.status();
    }
    const auto filled = database.execute(
        QStringLiteral("INSERT INTO %1 (Type, Rows, Listed) SELECT Type, COUNT(*), SUM(%2) "
                       "FROM Contacts AS NEW WHERE Type IS NOT NULL GROUP BY Type")
            .arg(table, listed(QStringLiteral("NEW"))));
    return filled ? Status::success() : filled.status();
}

} // namespace

namespace GroupCounts {

const QList<Definition> &definitions()
{
    static const QList<Definition> all = buildDefinitions();
    return all;
}

Status ensure(Database &database)
{
    // Looked up first: the usual file has them, and its opening should not wait for the write
    // lock another program may hold.
    const auto present = complete(database);
    if (!present)
        return present.status();
    if (present.value())
        return Status::success();
    Transaction transaction(database);
    Status status = transaction.begin();
    if (status)
        status = rebuild(database);
    if (status)
        status = transaction.commit();
    return status;
}

Result<bool> read(Database &database,
                  const std::function<void(const QVariant &type, int listed)> &visit)
{
    const auto present = complete(database);
    if (!present || !present.value())
        return present;
    const Status status = database.select(
        QStringLiteral("SELECT Type, Listed FROM %1 ORDER BY Type").arg(table), {},
        [&](const QSqlQuery &row) { visit(row.value(0), row.value(1).toInt()); });
    if (!status)
        return status;
    return true;
}

} // namespace GroupCounts
