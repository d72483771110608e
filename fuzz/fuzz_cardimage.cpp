#include "scan/CardScanner.h"

#include <QCoreApplication>
#include <cstdint>

// Reads arbitrary bytes as a card image, through decoding, finding the card, the QR code and the
// recogniser: nothing may crash, hang or take unbounded memory. Huge images are refused from
// their header, before they are decoded.
namespace {

CardScanner *scanner = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    static auto created = CardScanner::create();
    if (!created)
        __builtin_trap();
    scanner = created.value().get();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    scanner->scan(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}
