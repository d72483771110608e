#pragma once

#include "shared/Status.h"

#include <QList>
#include <QString>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QObject;
struct sqlite3;

// Keeps every write away from a data file until SQLite has checked the whole file in this run.
// A small file is checked as it opens; a large one on a connection of its own in a thread, so
// the program shows its windows meanwhile. A write asked for during that check waits for it; a
// file found damaged is never written again in this run. The gate sees every statement its
// connection prepares, so no write path can slip past it.
class WriteGate
{
public:
    enum class State { Unchecked, Checking, Sound, Damaged };

    explicit WriteGate(QString path);
    ~WriteGate();
    WriteGate(const WriteGate &) = delete;
    WriteGate &operator=(const WriteGate &) = delete;

    // Guards the connection's writes from now on.
    void install(sqlite3 *connection);
    // The outcome of a check run on the connection itself: empty when sound, else the damage.
    void record(const QString &damage);

    State state() const;
    // Why the file is not written; empty unless damaged.
    QString damage() const;

    // Starts the check in its thread unless it has started or finished.
    void start();
    // Waits for the check (started if need be); fails with the reason when the file is damaged.
    Status awaitWritable();
    // Runs action once the file has passed the check: at once when it has, else afterwards in the
    // thread that made the gate. Actions of a damaged file never run.
    void whenSound(std::function<void()> action);
    // Told once, in the thread that made the gate, how a check that ran in a thread ended.
    void onChecked(std::function<void(const Status &)> listener);
    // A full integrity_check in a thread; a failure makes the file damaged like a failed check.
    // A write gives it way: it then ends without telling done, to run another time.
    void startFullCheck(std::function<void(const Status &)> done);

    // How a wait is shown to the user (a busy cursor); true as it starts, false as it ends.
    static void setWaitIndicator(std::function<void(bool waiting)> indicator);
    // PRAGMA quick_check or integrity_check on connection: empty when sound, else the damage it
    // found; a failure when the check could not run (the file busy, the check interrupted).
    static Result<QString> check(sqlite3 *connection, const char *pragma);
    // The message a damaged file's refused write carries.
    static QString refusal(const QString &damage);

private:
    static int authorize(void *gate, int action, const char *first, const char *second,
                         const char *database, const char *trigger);
    Status awaitCheck();
    void runInThread(bool full);
    void finish(const Result<QString> &outcome, bool full);
    void settle();
    void refuseWrites();
    void join();

    QString m_path;
    sqlite3 *m_connection = nullptr;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    State m_state = State::Unchecked;
    QString m_damage;
    // Why the last check could not run; the next write tries again.
    QString m_failure;
    bool m_settled = false;
    bool m_closing = false;
    bool m_fullCheckRunning = false;
    // The thread's own connection while it checks, so closing the file can interrupt it.
    sqlite3 *m_checking = nullptr;
    std::thread m_worker;
    std::unique_ptr<QObject> m_home;
    QList<std::function<void()>> m_actions;
    QList<std::function<void(const Status &)>> m_listeners;
    std::function<void(const Status &)> m_fullCheckDone;
};
