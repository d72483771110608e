#include "TableWatch.h"

#include "Database.h"

#include <sqlite3.h>

TableWatch::TableWatch(Database &database, const QString &table)
    : m_database(database)
    , m_table(table.toUtf8())
{
    if (sqlite3 *handle = m_database.sqliteHandle()) {
        sqlite3_update_hook(handle, &TableWatch::onRowChange, this);
        sqlite3_rollback_hook(handle, &TableWatch::onRollback, this);
    }
}

TableWatch::~TableWatch()
{
    if (sqlite3 *handle = m_database.sqliteHandle()) {
        sqlite3_update_hook(handle, nullptr, nullptr);
        sqlite3_rollback_hook(handle, nullptr, nullptr);
    }
}

void TableWatch::onRollback(void *watch)
{
    static_cast<TableWatch *>(watch)->m_rolledBack = true;
}

void TableWatch::onRowChange(void *watch, int, const char *database, const char *table,
                             long long row)
{
    auto *self = static_cast<TableWatch *>(watch);
    ++self->m_reportedChanges;
    if (qstrcmp(database, "main") == 0 && qstricmp(table, self->m_table.constData()) == 0)
        self->m_rows.insert(row);
}

qint64 TableWatch::dataVersion() const
{
    const auto version = m_database.scalar(QStringLiteral("PRAGMA data_version"));
    return version ? version.value().toLongLong() : -1;
}

qint64 TableWatch::totalChanges() const
{
    sqlite3 *handle = m_database.sqliteHandle();
    return handle ? sqlite3_total_changes64(handle) : -1;
}

TableWatch::Changes TableWatch::take()
{
    Changes changes;
    const qint64 version = dataVersion();
    const qint64 total = totalChanges();
    // SQLite counts rows it changed without naming them (a DELETE without WHERE): the counts
    // then differ.
    changes.everything = m_rolledBack || version < 0 || total < 0 || version != m_dataVersion
        || total - m_totalChanges != m_reportedChanges;
    changes.rows = std::exchange(m_rows, {});
    m_dataVersion = version;
    m_totalChanges = total;
    m_reportedChanges = 0;
    m_rolledBack = false;
    return changes;
}
