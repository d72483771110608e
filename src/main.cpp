#include "app/widgets/StartUp.h"
#include "shared/QtTranslation.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zorvane"));
    QApplication::setOrganizationName(QStringLiteral("Zorvane"));
    QtTranslation::install(QLocale::system());
    StartUp::setDesktopIdentity();
    // The program decides when it ends (exit command, login cancelled, main window closed); a
    // re-login briefly has no window at all.
    QApplication::setQuitOnLastWindowClosed(false);
    StartUp::begin();
    const int code = QApplication::exec();
    StartUp::deleteOwnerlessWindows();
    return code;
}
