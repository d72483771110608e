#include "StartUp.h"

#include "app/AppLifetime.h"
#include "frmLogin.h"
#include "frmSplash.h"

#include <QApplication>
#include <QPointer>

namespace StartUp {

void begin()
{
    (new frmSplash)->show();
}

bool showLogin()
{
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
