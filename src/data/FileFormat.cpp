#include "FileFormat.h"

#include "Database.h"
#include "Schema.h"
#include "Transaction.h"

#include <QSqlQuery>
#include <QStringList>

namespace {

const QString fileRow = QStringLiteral("DataFile");

Result<QStringList> featureTablesPresent(Database &database)
{
    QStringList present;
    const Status listed = database.select(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table'"), {},
        [&](const QSqlQuery &row) {
            if (const Schema::Table *feature = Schema::findFeatureTable(row.value(0).toString()))
                present << feature->name;
        });
    if (!listed)
        return listed;
    return present;
}

Result<bool> hasTable(Database &database)
{
    const auto found = database.scalar(
        QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = ?"),
        { FileFormat::tableName() });
    if (!found)
        return found.status();
    return found.value().toInt() > 0;
}

// Whether the file already says all that record() would write.
Result<bool> upToDate(Database &database)
{
    const auto table = hasTable(database);
    if (!table || !table.value())
        return table;
    const auto header = database.scalar(QStringLiteral("PRAGMA user_version"));
    if (!header)
        return header.status();
    const auto features = featureTablesPresent(database);
    if (!features)
        return features.status();
    const auto listed
        = database.scalar(QStringLiteral("SELECT COUNT(*) FROM %1 WHERE Name = ? AND Version = ?")
                              .arg(FileFormat::tableName()),
                          { fileRow, Schema::version });
    if (!listed)
        return listed.status();
    int missing = 0;
    for (const QString &feature : features.value()) {
        const auto row = database.scalar(
            QStringLiteral("SELECT COUNT(*) FROM %1 WHERE Name = ?").arg(FileFormat::tableName()),
            { feature });
        if (!row)
            return row.status();
        missing += row.value().toInt() == 0 ? 1 : 0;
    }
    return header.value().toInt() == Schema::version && listed.value().toInt() == 1 && missing == 0;
}

} // namespace

namespace FileFormat {

QString tableName()
{
    return QStringLiteral("DataFileFormat");
}

QString createStatement()
{
    return QStringLiteral(
        "CREATE TABLE DataFileFormat (Name TEXT NOT NULL PRIMARY KEY, Version INTEGER NOT NULL)");
}

QString newerFileMessage()
{
    return QStringLiteral("此数据文件由较新版本的本程序创建，请先升级本程序。");
}

Status checkVersion(Database &database)
{
    const auto table = hasTable(database);
    if (!table || !table.value())
        return table.status();
    const auto recorded
        = database.scalar(QStringLiteral("SELECT MAX(Version) FROM %1").arg(tableName()), {});
    if (!recorded)
        return recorded.status();
    if (recorded.value().toLongLong() > Schema::version)
        return Status::failure(newerFileMessage());
    return Status::success();
}

Status record(Database &database)
{
    const auto table = hasTable(database);
    if (!table)
        return table.status();
    if (!table.value()) {
        if (const auto made = database.execute(createStatement()); !made)
            return made.status();
    }
    const auto features = featureTablesPresent(database);
    if (!features)
        return features.status();
    QList<QVariantList> rows { { fileRow, Schema::version } };
    for (const QString &feature : features.value())
        rows.append({ feature, Schema::version });
    // A feature table keeps the version that first recorded it.
    Status status = database.executeEach(
        QStringLiteral("INSERT OR IGNORE INTO %1 (Name, Version) VALUES (?, ?)").arg(tableName()),
        rows);
    if (status) {
        const auto raised = database.execute(
            QStringLiteral("UPDATE %1 SET Version = ? WHERE Name = ?").arg(tableName()),
            { Schema::version, fileRow });
        status = raised.status();
    }
    if (status)
        status = database.pragma(QStringLiteral("PRAGMA user_version = %1").arg(Schema::version));
    return status;
}

Status ensure(Database &database)
{
    const auto current = upToDate(database);
    if (!current || current.value())
        return current.status();
    Transaction transaction(database);
    Status status = transaction.begin();
    if (status)
        status = record(database);
    if (status)
        status = transaction.commit();
    return status;
}

} // namespace FileFormat
