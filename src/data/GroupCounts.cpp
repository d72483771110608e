#include "GroupCounts.h"

#include "Database.h"
#include "ReservedRows.h"
#include "Transaction.h"
#include "WriteGate.h"

#include <QHash>
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

// The data version at which each connection last found its counts right; a change means another
// program has written since.
QHash<QString, qint64> &checkedAt()
{
    static QHash<QString, qint64> versions;
    return versions;
}

Result<qint64> dataVersion(Database &database)
{
    const auto version = database.scalar(QStringLiteral("PRAGMA data_version"));
    if (!version)
        return version.status();
    return version.value().toLongLong();
}

// Type as the file's NOCASE comparison sees it: ASCII letters without case.
QString fileKey(const QVariant &type)
{
    QString key = type.toString();
    for (QChar &character : key) {
        if (character.unicode() < 128)
            character = character.toLower();
    }
    return key;
}

using Tally = QHash<QString, QPair<qint64, qint64>>;

Status tally(Database &database, const QString &sql, Tally &into)
{
    return database.select(sql, {}, [&](const QSqlQuery &row) {
        into.insert(fileKey(row.value(0)),
                    { row.value(1).toLongLong(), row.value(2).toLongLong() });
    });
}

// Counted from the contacts through the group index alone, and compared with the kept counts.
Result<bool> countsAreRight(Database &database)
{
    Tally counted;
    Tally kept;
    Status status = tally(database,
                          QStringLiteral("SELECT Type, COUNT(*), SUM(%1) FROM Contacts AS NEW "
                                         "WHERE Type IS NOT NULL GROUP BY Type")
                              .arg(listed(QStringLiteral("NEW"))),
                          counted);
    if (status)
        status
            = tally(database, QStringLiteral("SELECT Type, Rows, Listed FROM %1").arg(table), kept);
    if (!status)
        return status;
    return counted == kept;
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

Status rebuildInTransaction(Database &database)
{
    Transaction transaction(database);
    Status status = transaction.begin();
    if (status)
        status = rebuild(database);
    if (status)
        status = transaction.commit();
    return status;
}

// Compares the counts with the contacts and fills them afresh when they differ; false when they
// differ and cannot be written now.
Result<bool> makeRight(Database &database, bool mayWait)
{
    const auto version = dataVersion(database);
    if (!version)
        return version.status();
    const auto right = countsAreRight(database);
    if (!right)
        return right.status();
    if (!right.value()) {
        // Until they are filled afresh, every read compares them again.
        checkedAt().insert(database.connectionName(), -1);
        if (!mayWait && database.gate().state() != WriteGate::State::Sound)
            return false;
        if (Status rebuilt = rebuildInTransaction(database); !rebuilt)
            return mayWait ? Result<bool>(rebuilt) : Result<bool>(false);
    }
    checkedAt().insert(database.connectionName(), version.value());
    return true;
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
        return makeRight(database, true).status();
    const auto version = dataVersion(database);
    Status status = rebuildInTransaction(database);
    if (status && version)
        checkedAt().insert(database.connectionName(), version.value());
    return status;
}

Result<bool> read(Database &database,
                  const std::function<void(const QVariant &type, int listed)> &visit)
{
    const auto present = complete(database);
    if (!present || !present.value())
        return present;
    // A large file's first comparison waits until it has passed its check, so the first window
    // shows without counting a million contacts.
    const auto compared = checkedAt().constFind(database.connectionName());
    bool stale = database.gate().state() == WriteGate::State::Sound;
    if (compared != checkedAt().constEnd()) {
        const auto version = dataVersion(database);
        if (!version)
            return version.status();
        stale = version.value() != compared.value();
    }
    if (stale) {
        const auto right = makeRight(database, false);
        if (!right || !right.value())
            return right;
    }
    const Status status = database.select(
        QStringLiteral("SELECT Type, Listed FROM %1 ORDER BY Type").arg(table), {},
        [&](const QSqlQuery &row) { visit(row.value(0), row.value(1).toInt()); });
    if (!status)
        return status;
    return true;
}

} // namespace GroupCounts
