#pragma once

#include <QLineEdit>
#include <QtTest>

// Finds a window's control by its objectName; a missing one fails the test with its name.
// Most controls the tests look up are text boxes, hence the default type.
template<typename T = QLineEdit> T *control(const QObject *window, const QString &name)
{
    T *found = window->findChild<T *>(name);
    if (!found)
        QTest::qFail(qPrintable(QStringLiteral("no control ") + name), __FILE__, __LINE__);
    return found;
}
