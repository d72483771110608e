#include "Transaction.h"

#include "Database.h"
#include "WriteGate.h"

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
    // Inside a write the caller began already: that write's guard commits or rolls back.
    if (m_database.inTransaction()) {
        m_joined = true;
        return Status::success();
    }
    if (Status writable = m_database.gate().awaitWritable(); !writable)
        return writable;
    Status status = m_database.beginImmediate();
    m_active = status.ok();
    return status;
}

Status Transaction::commit()
{
    if (m_joined)
        return Status::success();
    if (!m_active)
        return Status::failure(QStringLiteral("事务尚未开始"));
    Status status = m_database.commit();
    if (status)
        m_active = false;
    return status;
}
