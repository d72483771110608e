#pragma once

#include "data/Database.h"

#include <QStringList>
#include <QVariantMap>
#include <QtTest>

// Adds contacts with chosen fields to a data file; fields left out stay NULL.
inline qint64 addContact(Database &database, const QVariantMap &fields)
{
    QStringList names;
    QStringList marks;
    QVariantList values;
    for (auto it = fields.cbegin(); it != fields.cend(); ++it) {
        names << it.key();
        marks << QStringLiteral("?");
        values << it.value();
    }
    const auto id
        = database.insert(QStringLiteral("INSERT INTO Contacts (%1) VALUES (%2)")
                              .arg(names.join(QLatin1Char(',')), marks.join(QLatin1Char(','))),
                          values);
    if (!id)
        QTest::qFail(qPrintable(id.message()), __FILE__, __LINE__);
    return id ? id.value() : -1;
}

inline qint64 addContact(Database &database, const QString &first, const QString &last,
                         const QVariantMap &more = {})
{
    QVariantMap fields = more;
    fields.insert(QStringLiteral("FirstName"), first);
    fields.insert(QStringLiteral("LastName"), last);
    return addContact(database, fields);
}
