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
// Every row of the four tables in ID order, but those of the table left out: compare two of
// these to show that nothing else changed.
QList<QVariantList> everything(const QString &path, const QString &leftOut = {});
// A text as an SQL literal, for building test data.
QString quoted(QString text);

} // namespace RawSql
