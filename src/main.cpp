#include "app/widgets/StartUp.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zorvane"));
    QApplication::setOrganizationName(QStringLiteral("Zorvane"));
    StartUp::begin();
    return QApplication::exec();
}
