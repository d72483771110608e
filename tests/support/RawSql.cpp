#include "RawSql.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtTest>

namespace {

template<typename Work> auto withConnection(const QString &path, Work work)
{
    static int counter = 0;
    const QString name = QStringLiteral("raw-%1").arg(++counter);
    decltype(work(std::declval<QSqlDatabase &>())) result {};
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open())
            result = work(db);
        else
            QTest::qFail(qPrintable(db.lastError().text()), __FILE__, __LINE__);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

} // namespace

namespace RawSql {

bool run(const QString &path, const QStringList &statements)
{
    return withConnection(path, [&](QSqlDatabase &db) {
        QSqlQuery query(db);
        for (const QString &statement : statements) {
            if (!query.exec(statement)) {
                QTest::qFail(qPrintable(query.lastError().text()), __FILE__, __LINE__);
                return false;
            }
        }
        return true;
    });
}

QList<QVariantList> rows(const QString &path, const QString &sql)
{
    return withConnection(path, [&](QSqlDatabase &db) {
        QList<QVariantList> all;
        QSqlQuery query(db);
        if (!query.exec(sql))
            QTest::qFail(qPrintable(query.lastError().text()), __FILE__, __LINE__);
        while (query.next()) {
            QVariantList row;
            for (int i = 0; i < query.record().count(); ++i)
                row << query.value(i);
            all << row;
        }
        return all;
    });
}

QVariant value(const QString &path, const QString &sql)
{
    const QList<QVariantList> all = rows(path, sql);
    return all.isEmpty() || all.first().isEmpty() ? QVariant() : all.first().first();
}

QList<QVariantList> everything(const QString &path, const QString &leftOut)
{
    QList<QVariantList> all;
    for (const char *table : { "Contacts", "ContactType", "Users", "Reminders" }) {
        if (leftOut != QLatin1String(table))
            all << rows(path,
                        QStringLiteral("SELECT * FROM %1 ORDER BY ID").arg(QLatin1String(table)));
    }
    return all;
}

QString quoted(QString text)
{
    return QLatin1Char('\'') + text.replace(QLatin1Char('\''), QStringLiteral("''"))
        + QLatin1Char('\'');
}

} // namespace RawSql
