#pragma once

#include <QApplication>
#include <QList>
#include <QString>
#include <QWidget>
#include <QtTest>

class frmLogin;
class frmMain;

// Drives the program's real windows the way a user would, and catches the program's wish to end.
class AppDriver
{
public:
    AppDriver();
    ~AppDriver();

    template<typename T = QWidget> static T *topLevel(const QString &objectName)
    {
        const auto windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows) {
            if (window->objectName() == objectName && !window->testAttribute(Qt::WA_WState_Hidden))
                return qobject_cast<T *>(window);
        }
        return nullptr;
    }
    static int visibleCount(const QString &objectName);

    // Opens the login dialog on the data file the settings name.
    frmLogin *openLogin();
    // Logs in through the dialog as the given account (empty: the one listed first).
    frmMain *logIn(const QString &user = {}, const QString &password = {});
    // Closes and deletes every top-level window the test left open.
    static void closeAll();

    QList<int> endRequests;
};

// Logs in as AppDriver::logIn does and names the main window; when none came up, the test
// function ends there, failed, instead of going on with a null window.
#define LOG_IN(window, driver, ...)                                                                \
    frmMain *window = (driver).logIn(__VA_ARGS__);                                                 \
    QVERIFY2(window, "the login did not open the main window")
