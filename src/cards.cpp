// zorvane-cards: imports vCard and CSV files into a data file, exports its contacts, and syncs
// it with a CardDAV address book.
#include "interchange/CardsTool.h"
#include "sync/SyncTool.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QFile in;
    QFile out;
    QFile err;
    if (!in.open(stdin, QIODevice::ReadOnly) || !out.open(stdout, QIODevice::WriteOnly)
        || !err.open(stderr, QIODevice::WriteOnly))
        return CardsTool::UsageError;
    const QStringList arguments = app.arguments().mid(1);
    if (arguments.value(0) == u"sync")
        return SyncTool::run(arguments.mid(1), in, out, err);
    return CardsTool::run(arguments, out, err);
}
