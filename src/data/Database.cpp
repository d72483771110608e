#include "Database.h"

#include "DataFileCheck.h"
#include "SqlErrorText.h"
#include "WriteGate.h"

#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <atomic>
#include <sqlite3.h>

namespace {

// Two programs on one file wait this long for each other's writes before giving up.
constexpr int busyTimeoutMs = 8000;

QString nextConnectionName()
{
    static std::atomic<int> counter { 0 };
    return QStringLiteral("zorvane-%1").arg(++counter);
}

// A null QString would be bound as SQL NULL; the program stores empty text as ''.
QVariant bindable(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QString && value.toString().isNull())
        return QString(QLatin1String(""));
    return value;
}

// Half of a surrogate pair has no UTF-8 form: SQLite would store something else than was typed,
// and may swallow the character after it. Such text is refused instead.
Status checkStorable(const QVariantList &values)
{
    for (const QVariant &value : values) {
        if (value.metaType().id() == QMetaType::QString && !value.toString().isValidUtf16())
            return Status::failure(
                QStringLiteral("输入的内容含有无法保存的字符（不成对的代理字符），请删除后再试。"));
    }
    return Status::success();
}

// Binds one value of a bulk read the way Qt SQL would bind it.
Status bindText(sqlite3_stmt *statement, int position, const QVariant &value)
{
    int bound = SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        bound = sqlite3_bind_int64(statement, position, value.toLongLong());
        break;
    case QMetaType::Double:
        bound = sqlite3_bind_double(statement, position, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        bound = sqlite3_bind_blob(statement, position, bytes.constData(), int(bytes.size()),
                                  SQLITE_TRANSIENT);
        break;
    }
    default:
        if (value.isNull()) {
            bound = sqlite3_bind_null(statement, position);
        } else {
            const QByteArray text = value.toString().toUtf8();
            bound = sqlite3_bind_text(statement, position, text.constData(), int(text.size()),
                                      SQLITE_TRANSIENT);
        }
    }
    if (bound == SQLITE_OK)
        return Status::success();
    return Status::failure(QString::fromUtf8(sqlite3_errstr(bound)));
}

} // namespace

Database::Database(QString path, QString name)
    : m_path(std::move(path))
    , m_name(std::move(name))
{ }

Database::~Database()
{
    m_gate.reset();
    {
        QSqlDatabase connection = QSqlDatabase::database(m_name, false);
        if (connection.isOpen())
            connection.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

Result<std::unique_ptr<Database>> Database::open(const QString &path, Damaged damaged)
{
    if (Status header = DataFileCheck::checkFile(path); !header)
        return header;
    auto connected = connect(path, true);
    if (!connected)
        return connected;
    Database &database = *connected.value();
    database.m_gate->install(database.sqliteHandle());
    if (DataFileCheck::checkedAtOpening(path)) {
        const auto checked = WriteGate::check(database.sqliteHandle(), "quick_check");
        if (!checked)
            return Status::failure(DataFileCheck::notADataFile(path, checked.message()));
        if (!checked.value().isEmpty() && damaged == Damaged::Refuse)
            return Status::failure(DataFileCheck::damagedFile(path, checked.value()));
        database.m_gate->record(checked.value());
    }
    if (Status contents = DataFileCheck::checkContents(database); !contents)
        return contents;
    return connected;
}

Result<std::unique_ptr<Database>> Database::openForCreation(const QString &path)
{
    auto connected = connect(path, false);
    // The program writes such a file itself from the start.
    if (connected)
        connected.value()->m_gate->record(QString());
    return connected;
}

Result<std::unique_ptr<Database>> Database::connect(const QString &path, bool mustExist)
{
    std::unique_ptr<Database> database(new Database(path, nextConnectionName()));
    database->m_gate = std::make_unique<WriteGate>(QFileInfo(path).absoluteFilePath());
    {
        QSqlDatabase connection
            = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), database->m_name);
        if (!connection.isValid())
            return Status::failure(QStringLiteral("缺少SQLite数据库驱动，无法打开数据文件。"));
        QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs);
        if (mustExist) {
            // mode=rw makes SQLite refuse a missing file instead of creating an empty one.
            options += QStringLiteral(";QSQLITE_OPEN_URI");
            const QString uri = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath())
                                    .toString(QUrl::FullyEncoded);
            connection.setDatabaseName(uri + QStringLiteral("?mode=rw"));
        } else {
            connection.setDatabaseName(path);
        }
        connection.setConnectOptions(options);
        if (!connection.open())
            return Status::failure(QStringLiteral("无法打开数据文件：") + path + QLatin1Char('\n')
                                   + SqlErrorText::describe(connection.lastError()));
    }
    if (Status safe = database->applySafetySettings(); !safe)
        return safe;
    return database;
}

QSqlDatabase Database::connection() const
{
    return QSqlDatabase::database(m_name, false);
}

sqlite3 *Database::sqliteHandle() const
{
    const QVariant handle = connection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.data());
}

bool Database::inTransaction() const
{
    sqlite3 *handle = sqliteHandle();
    return handle && sqlite3_get_autocommit(handle) == 0;
}

bool Database::isReadOnly() const
{
    if (m_gate && m_gate->state() == WriteGate::State::Damaged)
        return true;
    sqlite3 *handle = sqliteHandle();
    return handle && sqlite3_db_readonly(handle, "main") == 1;
}

Status Database::applySafetySettings()
{
    // Nothing stored in a file may run code: no triggers or views that call functions with side
    // effects, no extension loading, no writes that corrupt the file on purpose.
    sqlite3 *handle = sqliteHandle();
    if (!handle)
        return Status::failure(QStringLiteral("无法访问SQLite连接。"));
    sqlite3_db_config(handle, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(handle, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    Status status = pragma(QStringLiteral("PRAGMA trusted_schema = OFF"));
    if (status)
        status = pragma(QStringLiteral("PRAGMA cell_size_check = ON"));
    return status;
}

Status Database::prepareAndRun(QSqlQuery &query, const QString &sql, const QVariantList &values)
{
    if (Status storable = checkStorable(values); !storable)
        return storable;
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        return Status::failure(SqlErrorText::describe(query.lastError()));
    for (const QVariant &value : values)
        query.addBindValue(bindable(value));
    if (!query.exec())
        return Status::failure(SqlErrorText::describe(query.lastError()));
    return Status::success();
}

Result<int> Database::execute(const QString &sql, const QVariantList &values)
{
    QSqlQuery query(connection());
    if (Status ran = prepareAndRun(query, sql, values); !ran)
        return ran;
    const int changed = query.numRowsAffected();
    query.finish();
    return changed;
}

Result<qint64> Database::insert(const QString &sql, const QVariantList &values)
{
    QSqlQuery query(connection());
    if (Status ran = prepareAndRun(query, sql, values); !ran)
        return ran;
    const qint64 id = query.lastInsertId().toLongLong();
    query.finish();
    return id;
}

Status Database::executeEach(const QString &sql, const QList<QVariantList> &rows)
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        return Status::failure(SqlErrorText::describe(query.lastError()));
    for (const QVariantList &values : rows) {
        if (Status storable = checkStorable(values); !storable)
            return storable;
        for (int i = 0; i < values.size(); ++i)
            query.bindValue(i, bindable(values.at(i)));
        if (!query.exec())
            return Status::failure(SqlErrorText::describe(query.lastError()));
    }
    query.finish();
    return Status::success();
}

Status Database::select(const QString &sql, const QVariantList &values, const RowHandler &onRow)
{
    QSqlQuery query(connection());
    if (Status ran = prepareAndRun(query, sql, values); !ran)
        return ran;
    while (query.next())
        onRow(query);
    const QSqlError error = query.lastError();
    query.finish();
    if (error.isValid())
        return Status::failure(SqlErrorText::describe(error));
    return Status::success();
}

int TextRow::columnCount() const
{
    return sqlite3_column_count(m_statement);
}

QString TextRow::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

qint64 TextRow::integer(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

QByteArrayView TextRow::text(int column) const
{
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_TEXT: {
        const auto *bytes
            = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
        const QByteArrayView text(bytes, sqlite3_column_bytes(m_statement, column));
        if (text.isValidUtf8())
            return text;
        // Bytes that are no UTF-8 read as Qt SQL reads them: through SQLite's UTF-16 form.
        const auto *units
            = static_cast<const char16_t *>(sqlite3_column_text16(m_statement, column));
        m_converted = QStringView(units, sqlite3_column_bytes16(m_statement, column) / 2).toUtf8();
        return m_converted;
    }
    case SQLITE_INTEGER:
        m_converted = QByteArray::number(sqlite3_column_int64(m_statement, column));
        return m_converted;
    case SQLITE_FLOAT:
        m_converted = QVariant(sqlite3_column_double(m_statement, column)).toString().toUtf8();
        return m_converted;
    case SQLITE_BLOB: {
        const auto *bytes = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
        m_converted = QString::fromUtf8(bytes, sqlite3_column_bytes(m_statement, column)).toUtf8();
        return m_converted;
    }
    default:
        return {};
    }
}

QByteArrayView TextRow::bytes(int column) const
{
    const auto *data = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
    return QByteArrayView(data, sqlite3_column_bytes(m_statement, column));
}

Status Database::selectText(const QString &sql, const QVariantList &values,
                            const std::function<void(const TextRow &)> &onRow)
{
    sqlite3 *handle = sqliteHandle();
    if (!handle)
        return Status::failure(QStringLiteral("无法访问SQLite连接。"));
    const auto failed = [handle] {
        return Status::failure(SqlErrorText::describe(
            QSqlError(QString::fromUtf8(sqlite3_errmsg(handle)), {}, QSqlError::StatementError,
                      QString::number(sqlite3_extended_errcode(handle)))));
    };
    sqlite3_stmt *statement = nullptr;
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(handle, text.constData(), int(text.size()), &statement, nullptr)
        != SQLITE_OK)
        return failed();
    const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)> guard(statement, sqlite3_finalize);
    for (int i = 0; i < values.size(); ++i) {
        if (Status bound = bindText(statement, i + 1, values.at(i)); !bound)
            return bound;
    }
    const TextRow row(statement);
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement)) == SQLITE_ROW)
        onRow(row);
    if (step != SQLITE_DONE)
        return failed();
    return Status::success();
}

Result<QList<QSqlRecord>> Database::records(const QString &sql, const QVariantList &values)
{
    QList<QSqlRecord> rows;
    Status status
        = select(sql, values, [&rows](const QSqlQuery &row) { rows.append(row.record()); });
    if (!status)
        return status;
    return rows;
}

Result<QVariant> Database::scalar(const QString &sql, const QVariantList &values)
{
    QSqlQuery query(connection());
    if (Status ran = prepareAndRun(query, sql, values); !ran)
        return ran;
    QVariant value;
    if (query.next())
        value = query.value(0);
    const QSqlError error = query.lastError();
    query.finish();
    if (error.isValid())
        return Status::failure(SqlErrorText::describe(error));
    return value;
}

Status Database::beginImmediate()
{
    return pragma(QStringLiteral("BEGIN IMMEDIATE"));
}

Status Database::commit()
{
    return pragma(QStringLiteral("COMMIT"));
}

Status Database::rollback()
{
    return pragma(QStringLiteral("ROLLBACK"));
}

Status Database::pragma(const QString &statement)
{
    QSqlQuery query(connection());
    if (!query.exec(statement))
        return Status::failure(SqlErrorText::describe(query.lastError()));
    query.finish();
    return Status::success();
}
