#include "interchange/CardFileReader.h"
#include "interchange/VCardReader.h"
#include "interchange/VCardWriter.h"

#include <QCoreApplication>
#include <cstdint>

// Reads arbitrary bytes as a vCard file and as a CSV file, and writes back whatever contacts
// they gave in every card version, reading those again: nothing may crash, hang or leak.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    VCardReader::read(bytes);
    const auto contents = CardFileReader::read(bytes);
    if (!contents)
        return 0;
    for (const ContactRecord &contact : contents.value().contacts) {
        for (const CardFormat version :
             { CardFormat::VCard30, CardFormat::VCard40, CardFormat::VCard21 }) {
            const auto again = CardFileReader::read(VCardWriter::write(contact, version));
            if (!again || again.value().contacts.size() != 1)
                __builtin_trap();
        }
    }
    return 0;
}
