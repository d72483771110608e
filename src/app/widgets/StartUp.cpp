#include "StartUp.h"

#include "EditorSections.h"
#include "app/AppLifetime.h"
#include "frmLogin.h"
#include "frmSplash.h"

#include <QApplication>
#include <QIcon>
#include <QPointer>

namespace StartUp {

void setDesktopIdentity()
{
    QIcon icon;
    for (const int size : { 16, 24, 32, 48, 64, 128, 256 })
        icon.addFile(QStringLiteral(":/icons/%1x%1/zorvane.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
    QGuiApplication::setDesktopFileName(QStringLiteral("com.zorvane.Zorvane"));
}

void begin()
{
    (new frmSplash)->show();
}

bool showLogin()
{
    EditorSections::install();
    auto *login = new frmLogin;
    if (!login->loadDataFile()) {
        delete login;
        AppLifetime::endProgram(1);
        return false;
    }
    login->show();
    return true;
}

void deleteOwnerlessWindows()
{
    QList<QPointer<QWidget>> windows;
    const auto all = QApplication::topLevelWidgets();
    for (QWidget *window : all) {
        if (!window->parentWidget())
            windows << window;
    }
    for (const QPointer<QWidget> &window : windows)
        delete window.data();
}

} // namespace StartUp
