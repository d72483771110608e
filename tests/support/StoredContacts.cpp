#include "StoredContacts.h"

#include "RawSql.h"

namespace StoredContacts {

QVariant field(const QString &file, qint64 id, const QString &column)
{
    return RawSql::value(
        file, QStringLiteral("SELECT %1 FROM Contacts WHERE ID = %2").arg(column).arg(id));
}

QVariantList row(const QString &file, qint64 id)
{
    const auto rows
        = RawSql::rows(file, QStringLiteral("SELECT * FROM Contacts WHERE ID = %1").arg(id));
    return rows.isEmpty() ? QVariantList() : rows.first();
}

int count(const QString &file, const QString &where)
{
    return RawSql::value(file, QStringLiteral("SELECT COUNT(*) FROM Contacts WHERE ") + where)
        .toInt();
}

QStringList groups(const QString &file)
{
    QStringList found;
    for (const QVariantList &row :
         RawSql::rows(file, QStringLiteral("SELECT Type FROM Contacts ORDER BY ID")))
        found << row.first().toString();
    return found;
}

} // namespace StoredContacts
