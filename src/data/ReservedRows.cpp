#include "ReservedRows.h"

#include "shared/Blanks.h"

#include <QStringList>
#include <algorithm>

namespace ReservedRows {

bool matches(QStringView firstName, QStringView lastName)
{
    const QStringView first = Blanks::trimmed(firstName);
    const QStringView last = Blanks::trimmed(lastName);
    return std::any_of(std::cbegin(names), std::cend(names), [&](const Name &reserved) {
        return first == reserved.firstName && last == reserved.lastName;
    });
}

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
