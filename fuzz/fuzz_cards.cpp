#include "cards/CardReader.h"
#include "cards/CardWriter.h"
#include "interchange/CardFileReader.h"

#include <QCoreApplication>
#include <cstdint>

// Reads arbitrary bytes as a vCard file and as a CSV file. Every card read must come back equal
// from its kept form, and written in every version must read as one card again: nothing may
// crash, hang, leak or change on the way.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    CardFileReader::read(bytes);
    for (const Card &card : CardReader::readAll(bytes)) {
        const QList<Card> kept = CardReader::readAll(CardWriter::keep(card));
        if (kept.size() != 1 || !(kept.first() == card))
            __builtin_trap();
        for (const CardVersion version : { CardVersion::V30, CardVersion::V40, CardVersion::V21 }) {
            if (CardReader::readAll(CardWriter::write(card, version)).size() != 1)
                __builtin_trap();
        }
    }
    return 0;
}
