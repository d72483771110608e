#include "CardStore.h"

#include "CardProjection.h"
#include "CardReader.h"
#include "CardWriter.h"
#include "data/Database.h"
#include "data/Schema.h"

namespace {

const QString table = QStringLiteral("ContactCards");

Result<bool> tableExists(Database &database)
{
    const auto found = database.scalar(
        QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = ?"),
        { table });
    if (!found)
        return found.status();
    return found.value().toInt() > 0;
}

} // namespace

CardStore::CardStore(Database &database)
    : m_database(database)
{ }

Result<bool> CardStore::hasTable()
{
    return tableExists(m_database);
}

Result<QByteArray> CardStore::keptBytes(qint64 contactId)
{
    const auto present = hasTable();
    if (!present)
        return present.status();
    if (!present.value())
        return QByteArray();
    const auto kept = m_database.scalar(
        QStringLiteral("SELECT Card FROM ContactCards WHERE ContactID = ?"), { contactId });
    if (!kept)
        return kept.status();
    return kept.value().toByteArray();
}

Result<Card> CardStore::cardOf(const ContactRecord &row)
{
    const auto kept = keptBytes(row.id);
    if (!kept)
        return kept.status();
    return cardFor(row, kept.value());
}

Card CardStore::cardFor(const ContactRecord &row, QByteArrayView kept)
{
    if (kept.isEmpty())
        return CardProjection::fromRow(row);
    Card card;
    if (!CardReader::readKept(kept, card))
        return CardProjection::fromRow(row);
    return CardProjection::reconciled(std::move(card), row);
}

Status CardStore::keep(qint64 contactId, const Card &card)
{
    return keepBytes(contactId, CardWriter::keep(card));
}

Status CardStore::keepBytes(qint64 contactId, const QByteArray &kept)
{
    if (Status made = Schema::ensureFeatureTable(m_database, table); !made)
        return made;
    const auto written = m_database.execute(
        QStringLiteral("INSERT OR REPLACE INTO ContactCards (ContactID, Card) VALUES (?, ?)"),
        { contactId, kept });
    return written ? Status::success() : written.status();
}

Status CardStore::keepAll(const QList<QPair<qint64, QByteArray>> &cards)
{
    if (cards.isEmpty())
        return Status::success();
    if (Status made = Schema::ensureFeatureTable(m_database, table); !made)
        return made;
    QList<QVariantList> rows;
    rows.reserve(cards.size());
    for (const auto &[contactId, kept] : cards)
        rows.append({ contactId, kept });
    return m_database.executeEach(
        QStringLiteral("INSERT OR REPLACE INTO ContactCards (ContactID, Card) VALUES (?, ?)"),
        rows);
}

Status CardStore::forget(qint64 contactId)
{
    const auto present = hasTable();
    if (!present)
        return present.status();
    if (!present.value())
        return Status::success();
    const auto removed = m_database.execute(
        QStringLiteral("DELETE FROM ContactCards WHERE ContactID = ?"), { contactId });
    return removed ? Status::success() : removed.status();
}

Result<CardStore::KeptJoin> CardStore::keptJoin(Database &database)
{
    const auto present = tableExists(database);
    if (!present)
        return present.status();
    if (!present.value())
        return KeptJoin { QStringLiteral("NULL"), QString() };
    return KeptJoin { QStringLiteral("ContactCards.Card"),
                      QStringLiteral(
                          " LEFT JOIN ContactCards ON ContactCards.ContactID = Contacts.ID") };
}
