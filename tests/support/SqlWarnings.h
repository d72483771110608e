#pragma once

#include <QRegularExpression>
#include <QtTest>

// Call from init(): a connection left in use or opened twice under one name fails the test.
inline void failOnSqlWarnings()
{
    QTest::failOnWarning(QRegularExpression(
        QStringLiteral("connection .* is still in use|duplicate connection name")));
}
