#include "ReadEverything.h"
#include "data/DataFileImport.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>

// Opens arbitrary bytes as a data file. Most inputs are refused by the checks; whatever gets
// through is read and written the way the program would, then imported into itself, the import
// whose walks a crafted file could most easily keep going.
namespace {

QTemporaryDir *folder = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    folder = new QTemporaryDir;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = folder->filePath(QStringLiteral("input.cot"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(reinterpret_cast<const char *>(data), qint64(size));
    }
    if (auto opened = Database::open(path)) {
        readEverything(*opened.value());
        DataFileImport(*opened.value()).importFile(path);
    }
    QFile::remove(path);
    return 0;
}
