#pragma once

#include <QString>
#include <utility>

// Outcome of an operation that can fail: success, or a message the caller may show.
class Status
{
public:
    static Status success() { return Status(); }
    static Status failure(QString message) { return Status(std::move(message)); }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    const QString &message() const { return m_message; }

private:
    Status() = default;
    explicit Status(QString message)
        : m_failed(true)
        , m_message(std::move(message))
    { }

    bool m_failed = false;
    QString m_message;
};

// A value, or the failure that kept it from being made.
template<typename T> class Result
{
public:
    Result(T value)
        : m_value(std::move(value))
    { }
    Result(Status failure)
        : m_status(std::move(failure))
    { }

    bool ok() const { return m_status.ok(); }
    explicit operator bool() const { return ok(); }
    const Status &status() const { return m_status; }
    const QString &message() const { return m_status.message(); }
    const T &value() const { return m_value; }
    T &value() { return m_value; }
    T takeValue() { return std::move(m_value); }

private:
    T m_value {};
    Status m_status = Status::success();
};
