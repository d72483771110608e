// zorvane-cards: imports vCard and CSV files into a data file and exports its contacts.
#include "interchange/CardsTool.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QFile out;
    QFile err;
    if (!out.open(stdout, QIODevice::WriteOnly) || !err.open(stderr, QIODevice::WriteOnly))
        return CardsTool::UsageError;
    return CardsTool::run(app.arguments().mid(1), out, err);
}
