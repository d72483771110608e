// Writes the empty template and, unless it exists already, the default data file into the
// folder given on the command line. The default file may hold a user's contacts: never replace it.
#include "data/DataFileFactory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: zorvane-mkdata FOLDER\n", stderr);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fputs("zorvane-mkdata: cannot create the folder\n", stderr);
        return 1;
    }
    Status status
        = DataFileFactory::createDataFile(folder.filePath(DataFileFactory::templateFileName()));
    const QString defaultFile = folder.filePath(DataFileFactory::defaultDataFileName());
    if (status && !QFileInfo::exists(defaultFile))
        status = DataFileFactory::createDataFile(defaultFile);
    if (!status) {
        std::fprintf(stderr, "zorvane-mkdata: %s\n", qUtf8Printable(status.message()));
        return 1;
    }
    return 0;
}
