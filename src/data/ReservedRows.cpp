#include "ReservedRows.h"

#include <QStringList>

namespace ReservedRows {

QString sqlTest(const QString &row)
{
    const QString prefix = row.isEmpty() ? QString() : row + u'.';
    QStringList tests;
    for (const Name &name : names) {
        tests << QStringLiteral("(trim(%1FirstName, ' ') = '%2' AND trim(%1LastName, ' ') = '%3')")
                     .arg(prefix, name.firstName.toString(), name.lastName.toString());
    }
    return tests.join(QStringLiteral(" OR "));
}

} // namespace ReservedRows
