#include "SyncCard.h"

#include "cards/CardProjection.h"
#include "cards/CardReader.h"
#include "cards/CardWriter.h"

Result<SyncCard> SyncCard::parse(const QByteArray &bytes)
{
    QList<ReadProblem> problems;
    const QList<Card> cards = CardReader::readAll(bytes, &problems);
    if (cards.isEmpty() || CardProjection::isGroupCard(cards.first()))
        return Status::failure(problems.isEmpty() ? QStringLiteral("不是名片")
                                                  : problems.first().reason);
    SyncCard out;
    out.card = cards.first();
    out.contact = CardProjection::project(out.card);
    if (out.contact.firstName.isEmpty() && out.contact.lastName.isEmpty())
        return Status::failure(QStringLiteral("名片没有姓名"));
    out.uid = CardProjection::uid(out.card);
    return out;
}

QByteArray SyncCard::write() const
{
    Card written = card;
    const qsizetype at = written.first(QStringLiteral("UID"));
    CardProperty property { {}, QStringLiteral("UID"), {}, {} };
    property.setText(uid);
    if (at >= 0 && CardProjection::uid(written) != uid)
        written.properties[at] = property;
    else if (at < 0)
        written.properties << property;
    return CardWriter::write(written, written.sourceVersion);
}

SyncCard SyncCard::withContact(const ContactRecord &other) const
{
    SyncCard out = *this;
    out.card = CardProjection::reconciled(card, other);
    out.contact = other;
    return out;
}
