#include "ContactQrCode.h"

#include "cards/CardProjection.h"
#include "cards/CardWriter.h"

namespace {

// What a phone needs least, dropped first: the properties and the captions the user knows.
struct Droppable
{
    const char *property;
    const char *caption;
};

constexpr Droppable leastNeededFirst[] = {
    { "PHOTO", "照片" },
    { "NOTE", "备注" },
    { "ADR", "公司地址" },
    { "URL", "主页地址" },
};

// Removes every property of that name; false when the card had none.
bool drop(Card &card, const QString &name)
{
    const qsizetype before = card.properties.size();
    card.properties.removeIf([&name](const CardProperty &property) {
        return property.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    return card.properties.size() != before;
}

} // namespace

Result<ContactQrCode> ContactQrCode::of(const ContactRecord &contact)
{
    return of(CardProjection::fromRow(contact));
}

Result<ContactQrCode> ContactQrCode::of(const Card &card)
{
    Card shown = card;
    QStringList dropped;
    for (const Droppable &least : leastNeededFirst) {
        const QByteArray vCard = CardWriter::write(shown, CardVersion::V30);
        if (auto code = QrCode::encode(vCard))
            return ContactQrCode { code.takeValue(), vCard, dropped };
        if (drop(shown, QString::fromLatin1(least.property)))
            dropped << QString::fromUtf8(least.caption);
    }
    const QByteArray vCard = CardWriter::write(shown, CardVersion::V30);
    if (auto code = QrCode::encode(vCard))
        return ContactQrCode { code.takeValue(), vCard, dropped };
    return Status::failure(
        QStringLiteral("联系人的内容太多，即使省去照片、备注、地址和主页也放不进一个二维码。"));
}
