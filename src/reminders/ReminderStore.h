#pragma once

#include "Reminder.h"
#include "shared/Status.h"

#include <QList>

class Database;

// The to-do items of the open data file. Every change names its row by ID: two items may share
// a text, and a change must reach the one the user chose.
class ReminderStore
{
public:
    // The longest text an item may hold.
    static constexpr int maxTextLength = 100;

    explicit ReminderStore(Database &database);

    // Every item in the order it was added.
    Result<QList<Reminder>> list() const;
    // Adds an open item dated today; the result holds its ID.
    Result<qint64> add(const QString &item);
    Status setDone(qint64 id, bool done);
    Status setText(qint64 id, const QString &item);
    // Removing an item that is already gone succeeds: either way it is no longer stored.
    Status remove(qint64 id);

private:
    Status changeRow(const QString &sql, const QVariantList &values);

    Database &m_database;
};
