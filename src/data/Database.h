#pragma once

#include "shared/Status.h"

#include <QByteArrayView>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QVariantList>
#include <functional>
#include <memory>

class WriteGate;
struct sqlite3;
struct sqlite3_stmt;

// One row of a bulk read, straight from SQLite: every value as the UTF-8 form of the text Qt SQL
// would give for it, without a QVariant per value. Valid only during the call that hands it out.
class TextRow
{
public:
    explicit TextRow(sqlite3_stmt *statement)
        : m_statement(statement)
    { }
    int columnCount() const;
    QString columnName(int column) const;
    qint64 integer(int column) const;
    // Always valid UTF-8; NULL is empty. The view lasts until the next call.
    QByteArrayView text(int column) const;
    // The bytes as stored, unchecked (what the program stored itself); NULL is empty. The view
    // lasts until the next call.
    QByteArrayView bytes(int column) const;

private:
    sqlite3_stmt *m_statement;
    mutable QByteArray m_converted;
};

// One connection to a data file. It never trusts a file it has not checked, binds every value,
// reads every query to its end and releases its Qt SQL connection when destroyed.
// Statements sent through it stay within SQL that PostgreSQL accepts too; the SQLite-only
// settings live here.
class Database
{
public:
    // Reads the current row with value(i); valid only during the call.
    using RowHandler = std::function<void(const QSqlQuery &)>;

    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // What opening does with a file whose pages the whole-file check finds damaged.
    enum class Damaged { Refuse, OpenReadOnly };

    // Opens an existing data file after checking it is a sound Zorvane file; never creates one.
    // A small file's pages are checked here; a large one's by its write gate, before any write.
    static Result<std::unique_ptr<Database>> open(const QString &path,
                                                  Damaged damaged = Damaged::Refuse);
    // Opens (and creates) a file with no checks; only for writing a brand-new data file.
    static Result<std::unique_ptr<Database>> openForCreation(const QString &path);

    QString path() const { return m_path; }
    QString connectionName() const { return m_name; }
    QSqlDatabase connection() const;
    sqlite3 *sqliteHandle() const;
    // True when the file cannot be written (the medium or the file's permissions refuse it, or the
    // file failed its check).
    bool isReadOnly() const;
    // Holds this connection's writes until the file has passed its check.
    WriteGate &gate() { return *m_gate; }

    // Runs one statement; the result holds the number of rows it changed.
    Result<int> execute(const QString &sql, const QVariantList &values = {});
    // Runs an INSERT; the result holds the new row's ID.
    Result<qint64> insert(const QString &sql, const QVariantList &values = {});
    // Runs one prepared statement once per row of values; stops at the first failure.
    Status executeEach(const QString &sql, const QList<QVariantList> &rows);
    // Hands every row of a SELECT to onRow, in order, and reads the query to its end.
    Status select(const QString &sql, const QVariantList &values, const RowHandler &onRow);
    // The same for reads of many rows: values are read through SQLite's own interface.
    // Binds integers, text and NULL.
    Status selectText(const QString &sql, const QVariantList &values,
                      const std::function<void(const TextRow &)> &onRow);
    Result<QList<QSqlRecord>> records(const QString &sql, const QVariantList &values = {});
    // The first column of the first row; a null value when there is no row.
    Result<QVariant> scalar(const QString &sql, const QVariantList &values = {});

    // Write transactions take the write lock at once, so two programs queue instead of failing
    // half-way; see Transaction for the guard that uses them.
    Status beginImmediate();
    // True while a transaction of this connection is open.
    bool inTransaction() const;
    Status commit();
    Status rollback();

    // Runs a SQLite pragma whose value is program-defined (never user text).
    Status pragma(const QString &statement);

private:
    Database(QString path, QString name);
    static Result<std::unique_ptr<Database>> connect(const QString &path, bool mustExist);
    Status applySafetySettings();
    Status prepareAndRun(QSqlQuery &query, const QString &sql, const QVariantList &values);

    QString m_path;
    QString m_name;
    std::unique_ptr<WriteGate> m_gate;
};
