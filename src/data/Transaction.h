#pragma once

#include "shared/Status.h"

class Database;

// Rolls back on destruction unless commit() succeeded, so an early return never leaves
// half of a change in the file. A guard begun inside another one's transaction joins it: only the
// outermost commits, and a failure it reports is the outer caller's to roll back.
class Transaction
{
public:
    explicit Transaction(Database &database);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

    Status begin();
    Status commit();

private:
    Database &m_database;
    bool m_active = false;
    bool m_joined = false;
};
