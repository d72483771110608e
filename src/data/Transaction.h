#pragma once

#include "shared/Status.h"

class Database;

// Rolls back on destruction unless commit() succeeded, so an early return never leaves
// half of a change in the file.
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
};
