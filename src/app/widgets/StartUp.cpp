#include "StartUp.h"

#include "DataFileOpening.h"
#include "shared/AppState.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>
#include <QTimer>

namespace StartUp {

void begin()
{
    auto database = DataFileOpening::openForLogin(nullptr);
    if (!database) {
        QTimer::singleShot(0, qApp, [] { QApplication::exit(1); });
        return;
    }
    auto *window = new QMainWindow;
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(QStringLiteral("Zorvane"));
    window->statusBar()->showMessage(AppState::instance().dbPath);
    window->resize(650, 478);
    window->show();
}

} // namespace StartUp
