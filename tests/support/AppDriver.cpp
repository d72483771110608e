#include "AppDriver.h"

#include "app/AppLifetime.h"
#include "app/widgets/StartUp.h"
#include "app/widgets/frmLogin.h"
#include "app/widgets/frmMain.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

AppDriver::AppDriver()
{
    AppLifetime::setEndHandler([this](int code) { endRequests << code; });
}

AppDriver::~AppDriver()
{
    closeAll();
    AppLifetime::setEndHandler({});
}

int AppDriver::visibleCount(const QString &objectName)
{
    int count = 0;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->objectName() == objectName && window->isVisible())
            ++count;
    }
    return count;
}

frmLogin *AppDriver::openLogin()
{
    if (!StartUp::showLogin())
        return nullptr;
    return topLevel<frmLogin>(QStringLiteral("frmLogin"));
}

frmMain *AppDriver::logIn(const QString &user, const QString &password)
{
    frmLogin *login = openLogin();
    if (!login)
        return nullptr;
    auto *users = login->findChild<QComboBox *>(QStringLiteral("cmbUsers"));
    if (!user.isEmpty())
        users->setCurrentIndex(users->findText(user));
    login->findChild<QLineEdit *>(QStringLiteral("txtPassword"))->setText(password);
    login->findChild<QPushButton *>(QStringLiteral("cmdLogin"))->click();
    return topLevel<frmMain>(QStringLiteral("frmMain"));
}

void AppDriver::closeAll()
{
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    StartUp::deleteOwnerlessWindows();
}
