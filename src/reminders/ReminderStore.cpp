#include "ReminderStore.h"

#include "data/Database.h"
#include "shared/Clock.h"

namespace {

Status checkText(const QString &item)
{
    if (item.trimmed().isEmpty())
        return Status::failure(QStringLiteral("你没有输入任何描述信息哦"));
    return Status::success();
}

} // namespace

ReminderStore::ReminderStore(Database &database)
    : m_database(database)
{ }

Result<QList<Reminder>> ReminderStore::list() const
{
    QList<Reminder> reminders;
    const Status read = m_database.select(
        QStringLiteral("SELECT ID, item, Done FROM Reminders ORDER BY ID"), {},
        [&reminders](const QSqlQuery &row) {
            reminders.append(
                { row.value(0).toLongLong(), row.value(1).toString(), row.value(2).toBool() });
        });
    if (!read)
        return read;
    return reminders;
}

Result<qint64> ReminderStore::add(const QString &item)
{
    if (Status text = checkText(item); !text)
        return text;
    // The day only: the item records when it was noted, not the moment.
    const QString today = Clock::current().now().date().toString(QStringLiteral("yyyy-MM-dd"));
    return m_database.insert(
        QStringLiteral("INSERT INTO Reminders (item, Done, Date) VALUES (?, ?, ?)"),
        { item, false, today });
}

Status ReminderStore::setDone(qint64 id, bool done)
{
    return changeRow(QStringLiteral("UPDATE Reminders SET Done = ? WHERE ID = ?"), { done, id });
}

Status ReminderStore::setText(qint64 id, const QString &item)
{
    if (Status text = checkText(item); !text)
        return text;
    return changeRow(QStringLiteral("UPDATE Reminders SET item = ? WHERE ID = ?"), { item, id });
}

Status ReminderStore::remove(qint64 id)
{
    const auto removed
        = m_database.execute(QStringLiteral("DELETE FROM Reminders WHERE ID = ?"), { id });
    return removed.status();
}

Status ReminderStore::changeRow(const QString &sql, const QVariantList &values)
{
    const auto changed = m_database.execute(sql, values);
    if (!changed)
        return changed.status();
    // Another program on the same file may have deleted the item meanwhile.
    if (changed.value() == 0)
        return Status::failure(QStringLiteral("这条事务已不在数据文件中，可能已被删除。"));
    return Status::success();
}
