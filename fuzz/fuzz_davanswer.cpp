#include "sync/Collection.h"
#include "sync/Multistatus.h"
#include "sync/SyncCard.h"

#include <cstdint>
#include <cstdlib>

// Reads arbitrary bytes as a CardDAV server's multistatus answer, and each card in it as the sync
// reads it, and checks what every reading must hold: a card the sync writes back can be read
// again, and an address it accepts lies inside the address book.
namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

void checkCard(const QByteArray &bytes)
{
    const auto card = SyncCard::parse(bytes);
    if (!card)
        return;
    const QByteArray written = card.value().write();
    const auto again = SyncCard::parse(written);
    require(again.ok());
    // Reader and writer agree: what the sync sends reads back to a card that writes the same
    // bytes (the writer adds what its version requires, such as FN, only the first time).
    require(again.value().write() == written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray body
        = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    static const Collection book(QUrl(QStringLiteral("http://127.0.0.1:5232/alice/book/")));
    checkCard(body);
    const auto answer = Multistatus::parse(body);
    if (!answer) {
        require(!answer.message().isEmpty());
        return 0;
    }
    for (const DavResource &resource : answer.value().resources) {
        const auto path = book.member(resource.href);
        if (path && !path.value().isEmpty())
            require(path.value().startsWith(QStringLiteral("/alice/book/")));
        checkCard(resource.addressData);
    }
    return 0;
}
