#include "Transaction.h"

#include "Database.h"

Transaction::Transaction(Database &database)
    : m_database(database)
{ }

Transaction::~Transaction()
{
    if (m_active)
        m_database.rollback();
}

Status Transaction::begin()
{
    Status status = m_database.beginImmediate();
    m_active = status.ok();
    return status;
}

Status Transaction::commit()
{
    if (!m_active)
        return Status::failure(QStringLiteral("事务尚未开始"));
    Status status = m_database.commit();
    if (status)
        m_active = false;
    return status;
}
