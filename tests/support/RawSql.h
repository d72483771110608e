#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

// Direct SQLite access that bypasses the program's checks, for building odd files and for
// reading back what really reached a file.
namespace RawSql {

bool run(const QString &path, const QStringList &statements);
QVariant value(const QString &path, const QString &sql);
QList<QVariantList> rows(const QString &path, const QString &sql);

} // namespace RawSql
