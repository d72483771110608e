// Writes the crafted data files into the folder given, as the data-file fuzzer's seed inputs.
#include "HostileDataFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2 || !QDir().mkpath(arguments.at(1))) {
        std::fprintf(stderr, "usage: zorvane-fuzz-seeds FOLDER\n");
        return 2;
    }
    const auto written = HostileDataFiles::write(arguments.at(1));
    if (!written) {
        std::fprintf(stderr, "%s\n", qUtf8Printable(written.message()));
        return 1;
    }
    return 0;
}
