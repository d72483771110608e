// zorvane-cards: imports vCard and CSV files into a data file, exports its contacts, syncs it
// with a CardDAV address book, and reads business-card images.
#include "interchange/CardsTool.h"
#include "scan/ScanTool.h"
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
    if (arguments.value(0) == u"scan")
        return ScanTool::run(arguments.mid(1), out, err);
    return CardsTool::run(arguments, out, err);
}
