#include "cards/CardReader.h"
#include "cards/CardWriter.h"
#include "cards/KeptCardReader.h"
#include "cards/TextEncoding.h"
#include "interchange/CardFileReader.h"

#include <QCoreApplication>
#include <cstdint>

namespace {

QStringList namesOf(const QList<ContactRecord> &contacts)
{
    QStringList names;
    for (const ContactRecord &contact : contacts)
        names << contact.firstName + u'\x1f' + contact.lastName;
    return names;
}

// The names an import's plan sees: rows only, before the file's groups are known.
QStringList plannedNames(const QByteArray &bytes)
{
    auto device = CardFileReader::open(CardFileReader::Source::inMemory(bytes));
    QList<ContactRecord> planned;
    CardFileReader::stream(*device.value(), CardFileReader::Want::Rows,
                           [&planned](CardFileReader::Entry &&entry) {
                               planned << std::move(entry.contact);
                               return true;
                           });
    return namesOf(planned);
}

} // namespace

// Reads arbitrary bytes as a vCard file and as a CSV file. An import plans with one reading and
// writes with another, so both must see the same people in the same order. Every card read must
// come back equal from its kept form, and written in every version must read as one card again:
// nothing may crash, hang, leak or change on the way. The quick reading of kept forms must read
// what the reader reads, whenever it reads at all.
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto contents = CardFileReader::read(bytes);
    if (contents && namesOf(contents.value().contacts) != plannedNames(bytes))
        __builtin_trap();
    const QList<Card> cards = CardReader::readAll(bytes);
    Card quick;
    if (TextEncoding::isValidUtf8(bytes) && KeptCardReader::read(bytes, quick)
        && (cards.isEmpty() || !(quick == cards.first())))
        __builtin_trap();
    for (const Card &card : cards) {
        const QByteArray keptForm = CardWriter::keep(card);
        const QList<Card> kept = CardReader::readAll(keptForm);
        if (kept.size() != 1 || !(kept.first() == card))
            __builtin_trap();
        if (KeptCardReader::read(keptForm, quick) && !(quick == card))
            __builtin_trap();
        for (const CardVersion version : { CardVersion::V30, CardVersion::V40, CardVersion::V21 }) {
            if (CardReader::readAll(CardWriter::write(card, version)).size() != 1)
                __builtin_trap();
        }
    }
    return 0;
}
