#pragma once

#include <QByteArray>
#include <QSet>
#include <QString>

class Database;

// Tells a copy kept in memory which rows of one table changed since it last asked. Changes made
// through the connection are named row by row (SQLite reports each one as it is made), so no
// write path has to report anything; a commit by any other connection (a second program on the
// same file), a rollback or a change SQLite does not name asks for the whole table to be read
// again. One watch per connection.
class TableWatch
{
public:
    struct Changes
    {
        // The copy must be read again in full; rows is then incomplete.
        bool everything = false;
        QSet<qint64> rows;
    };

    TableWatch(Database &database, const QString &table);
    ~TableWatch();
    TableWatch(const TableWatch &) = delete;
    TableWatch &operator=(const TableWatch &) = delete;

    // What changed since the last call (everything, on the first) and starts watching afresh.
    Changes take();

private:
    static void onRollback(void *watch);
    static void onRowChange(void *watch, int operation, const char *database, const char *table,
                            long long row);
    qint64 dataVersion() const;
    qint64 totalChanges() const;

    Database &m_database;
    QByteArray m_table;
    QSet<qint64> m_rows;
    // Every row change reported to the watch, on any table; compared with SQLite's own count.
    qint64 m_reportedChanges = 0;
    qint64 m_totalChanges = 0;
    qint64 m_dataVersion = -1;
    // Rows named before a rollback may hold what was undone.
    bool m_rolledBack = false;
};
