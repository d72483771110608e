#include "WriteGate.h"

#include <QFile>
#include <QMetaObject>
#include <QObject>
#include <QStringList>
#include <sqlite3.h>

namespace {

// As long as a writer of another program may keep the file.
constexpr int busyTimeoutMs = 8000;
// The first lines of a check's report say enough about the damage.
constexpr int reportedLines = 3;

std::function<void(bool)> &waitIndicator()
{
    static std::function<void(bool)> indicator;
    return indicator;
}

bool isSetting(const char *argument)
{
    return argument != nullptr;
}

// Pragmas that change the file rather than the connection.
bool isWritingPragma(const char *name, const char *argument)
{
    const QByteArray pragma = QByteArray(name).toLower();
    if (pragma == "incremental_vacuum" || pragma == "wal_checkpoint" || pragma == "optimize")
        return true;
    return isSetting(argument)
        && (pragma == "user_version" || pragma == "application_id" || pragma == "schema_version"
            || pragma == "journal_mode" || pragma == "page_size" || pragma == "auto_vacuum");
}

bool isWrite(int action, const char *first, const char *second, const char *database)
{
    if (database && qstrcmp(database, "temp") == 0)
        return false;
    switch (action) {
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
    case SQLITE_CREATE_INDEX:
    case SQLITE_CREATE_TABLE:
    case SQLITE_CREATE_TRIGGER:
    case SQLITE_CREATE_VIEW:
    case SQLITE_CREATE_VTABLE:
    case SQLITE_DROP_INDEX:
    case SQLITE_DROP_TABLE:
    case SQLITE_DROP_TRIGGER:
    case SQLITE_DROP_VIEW:
    case SQLITE_DROP_VTABLE:
    case SQLITE_ALTER_TABLE:
    case SQLITE_REINDEX:
    case SQLITE_ANALYZE:
        return true;
    case SQLITE_PRAGMA:
        return isWritingPragma(first, second);
    default:
        return false;
    }
}

bool isDamageCode(int code)
{
    return (code & 0xff) == SQLITE_CORRUPT || (code & 0xff) == SQLITE_NOTADB;
}

} // namespace

WriteGate::WriteGate(QString path)
    : m_path(std::move(path))
    , m_home(std::make_unique<QObject>())
{ }

WriteGate::~WriteGate()
{
    {
        std::lock_guard lock(m_mutex);
        m_closing = true;
        if (m_checking)
            sqlite3_interrupt(m_checking);
    }
    join();
    if (m_connection)
        sqlite3_set_authorizer(m_connection, nullptr, nullptr);
}

void WriteGate::install(sqlite3 *connection)
{
    m_connection = connection;
    sqlite3_set_authorizer(connection, &WriteGate::authorize, this);
}

void WriteGate::record(const QString &damage)
{
    std::lock_guard lock(m_mutex);
    m_state = damage.isEmpty() ? State::Sound : State::Damaged;
    m_damage = damage;
    m_settled = true;
    if (m_state == State::Damaged)
        refuseWrites();
}

WriteGate::State WriteGate::state() const
{
    std::lock_guard lock(m_mutex);
    return m_state;
}

QString WriteGate::damage() const
{
    std::lock_guard lock(m_mutex);
    return m_damage;
}

void WriteGate::start()
{
    {
        std::lock_guard lock(m_mutex);
        if (m_state != State::Unchecked)
            return;
        m_state = State::Checking;
    }
    runInThread(false);
}

Status WriteGate::awaitCheck()
{
    start();
    std::unique_lock lock(m_mutex);
    // The full check's read lock would hold the write's commit back: it gives way and runs
    // another time.
    if (m_fullCheckRunning && m_checking)
        sqlite3_interrupt(m_checking);
    if (m_state == State::Checking) {
        lock.unlock();
        if (waitIndicator())
            waitIndicator()(true);
        lock.lock();
        m_changed.wait(lock, [this] { return m_state != State::Checking; });
        lock.unlock();
        if (waitIndicator())
            waitIndicator()(false);
        lock.lock();
    }
    switch (m_state) {
    case State::Sound:
        return Status::success();
    case State::Damaged:
        return Status::failure(refusal(m_damage));
    default:
        return Status::failure(m_failure);
    }
}

Status WriteGate::awaitWritable()
{
    Status checked = awaitCheck();
    settle();
    return checked;
}

void WriteGate::whenSound(std::function<void()> action)
{
    std::unique_lock lock(m_mutex);
    if (m_state == State::Damaged)
        return;
    if (m_state != State::Sound || !m_settled) {
        m_actions.append(std::move(action));
        return;
    }
    lock.unlock();
    action();
}

void WriteGate::onChecked(std::function<void(const Status &)> listener)
{
    std::lock_guard lock(m_mutex);
    m_listeners.append(std::move(listener));
}

void WriteGate::startFullCheck(std::function<void(const Status &)> done)
{
    {
        std::lock_guard lock(m_mutex);
        if (m_state != State::Sound)
            return;
        m_fullCheckDone = std::move(done);
    }
    runInThread(true);
}

void WriteGate::setWaitIndicator(std::function<void(bool)> indicator)
{
    waitIndicator() = std::move(indicator);
}

Result<QString> WriteGate::check(sqlite3 *connection, const char *pragma)
{
    sqlite3_stmt *statement = nullptr;
    const QByteArray sql = QByteArray("PRAGMA ") + pragma;
    int code = sqlite3_prepare_v2(connection, sql.constData(), -1, &statement, nullptr);
    QStringList report;
    while (code == SQLITE_OK || code == SQLITE_ROW) {
        code = sqlite3_step(statement);
        if (code == SQLITE_ROW && report.size() < reportedLines)
            report << QString::fromUtf8(
                reinterpret_cast<const char *>(sqlite3_column_text(statement, 0)));
    }
    const QString error = QString::fromUtf8(sqlite3_errmsg(connection));
    sqlite3_finalize(statement);
    if (code != SQLITE_DONE)
        return isDamageCode(code) ? Result<QString>(error)
                                  : Result<QString>(Status::failure(error));
    if (report == QStringList { QStringLiteral("ok") })
        return QString();
    return report.join(QLatin1Char('\n'));
}

QString WriteGate::refusal(const QString &damage)
{
    return QStringLiteral("数据文件已损坏（%1），本程序不会再写入它。").arg(damage);
}

int WriteGate::authorize(void *gate, int action, const char *first, const char *second,
                         const char *database, const char *)
{
    if (!isWrite(action, first, second, database))
        return SQLITE_OK;
    // Only waits: the connection that asks may run nothing else until the statement is made.
    return static_cast<WriteGate *>(gate)->awaitCheck() ? SQLITE_OK : SQLITE_DENY;
}

void WriteGate::runInThread(bool full)
{
    join();
    m_worker = std::thread([this, full] {
        sqlite3 *connection = nullptr;
        Result<QString> outcome = Status::failure(QString());
        if (sqlite3_open_v2(QFile::encodeName(m_path).constData(), &connection,
                            SQLITE_OPEN_READONLY, nullptr)
            == SQLITE_OK) {
            sqlite3_busy_timeout(connection, busyTimeoutMs);
            bool closing = false;
            {
                std::lock_guard lock(m_mutex);
                closing = m_closing;
                m_checking = connection;
                m_fullCheckRunning = full;
            }
            if (!closing)
                outcome = check(connection, full ? "integrity_check" : "quick_check");
            std::lock_guard lock(m_mutex);
            m_checking = nullptr;
            m_fullCheckRunning = false;
        } else {
            outcome = Status::failure(QString::fromUtf8(sqlite3_errmsg(connection)));
        }
        sqlite3_close(connection);
        finish(outcome, full);
    });
}

void WriteGate::finish(const Result<QString> &outcome, bool full)
{
    {
        std::lock_guard lock(m_mutex);
        if (outcome && !outcome.value().isEmpty()) {
            m_state = State::Damaged;
            m_damage = outcome.value();
        } else if (!full) {
            m_state = outcome ? State::Sound : State::Unchecked;
            m_failure = QStringLiteral("无法检查数据文件：") + outcome.message();
        }
    }
    m_changed.notify_all();
    if (!full) {
        QMetaObject::invokeMethod(
            m_home.get(), [this] { settle(); }, Qt::QueuedConnection);
        return;
    }
    // A full check that could not run says nothing about the file; it runs again another time.
    if (!outcome)
        return;
    const QString damage = outcome.value();
    QMetaObject::invokeMethod(
        m_home.get(),
        [this, damage] {
            if (!damage.isEmpty())
                refuseWrites();
            if (m_fullCheckDone)
                std::exchange(m_fullCheckDone,
                              {})(damage.isEmpty() ? Status::success() : Status::failure(damage));
        },
        Qt::QueuedConnection);
}

void WriteGate::settle()
{
    QList<std::function<void()>> actions;
    QList<std::function<void(const Status &)>> listeners;
    Status outcome = Status::success();
    {
        std::lock_guard lock(m_mutex);
        if (m_settled || (m_state != State::Sound && m_state != State::Damaged))
            return;
        m_settled = true;
        listeners = std::exchange(m_listeners, {});
        actions = std::exchange(m_actions, {});
        if (m_state == State::Damaged) {
            actions.clear();
            outcome = Status::failure(m_damage);
        }
    }
    if (!outcome)
        refuseWrites();
    for (const auto &action : std::as_const(actions))
        action();
    for (const auto &listener : std::as_const(listeners))
        listener(outcome);
}

// Besides the gate: a damaged file's connection is made read-only.
void WriteGate::refuseWrites()
{
    if (m_connection)
        sqlite3_exec(m_connection, "PRAGMA query_only = ON", nullptr, nullptr, nullptr);
}

void WriteGate::join()
{
    if (m_worker.joinable())
        m_worker.join();
}
