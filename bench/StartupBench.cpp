#include "StartupBench.h"

#include "BenchReport.h"
#include "app/widgets/StartUp.h"
#include "app/widgets/frmLogin.h"
#include "app/widgets/frmMain.h"
#include "shared/AppSettings.h"

#include <QApplication>
#include <QMdiArea>
#include <QPushButton>

namespace {

template<typename T> T *visibleWindow(const QString &name)
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->objectName() == name && window->isVisible())
            return qobject_cast<T *>(window);
    }
    return nullptr;
}

} // namespace

namespace StartupBench {

void run(const QString &dataFile)
{
    AppSettings::setDatabasePath(dataFile);
    QElapsedTimer timer;
    timer.start();
    StartUp::showLogin();
    QApplication::processEvents();
    auto *login = visibleWindow<frmLogin>(QStringLiteral("frmLogin"));
    BenchReport::milliseconds(QStringLiteral("start_to_login_shown_ms"), timer);
    if (!login)
        return;

    timer.restart();
    login->findChild<QPushButton *>(QStringLiteral("cmdLogin"))->click();
    QApplication::processEvents();
    auto *main = visibleWindow<frmMain>(QStringLiteral("frmMain"));
    const bool complete = main && main->contactList() && main->reminderList();
    BenchReport::milliseconds(QStringLiteral("login_to_main_window_ms"), timer);
    BenchReport::figure(QStringLiteral("main_window_children"),
                        complete ? main->mdiArea()->subWindowList().size() : 0);
    StartUp::deleteOwnerlessWindows();
}

} // namespace StartupBench
