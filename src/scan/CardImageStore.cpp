#include "CardImageStore.h"

#include "data/Database.h"
#include "data/Schema.h"

#include <QSqlQuery>

namespace {

const QString table = QStringLiteral("CardImages");

} // namespace

CardImageStore::CardImageStore(Database &database)
    : m_database(database)
{ }

Status CardImageStore::keep(qint64 contactId, const Image &image)
{
    if (Status made = Schema::ensureFeatureTable(m_database, table); !made)
        return made;
    const auto removed = m_database.execute(
        QStringLiteral("DELETE FROM CardImages WHERE ContactID = ? AND Side = ?"),
        { contactId, int(image.side) });
    if (!removed)
        return removed.status();
    const auto written = m_database.execute(
        QStringLiteral(
            "INSERT INTO CardImages (ContactID, Side, Format, Image) VALUES (?, ?, ?, ?)"),
        { contactId, int(image.side), image.format, image.bytes });
    return written ? Status::success() : written.status();
}

Result<QList<CardImageStore::Image>> CardImageStore::images(qint64 contactId)
{
    QList<Image> found;
    const auto present = m_database.scalar(
        QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'table' AND name = ?"),
        { table });
    if (!present)
        return present.status();
    if (present.value().toInt() == 0)
        return found;
    const Status read = m_database.select(
        QStringLiteral("SELECT Side, Format, Image FROM CardImages WHERE ContactID = ? "
                       "AND Side IN (0, 1) ORDER BY Side"),
        { contactId }, [&found](const QSqlQuery &row) {
            found.append({ Side(row.value(0).toInt()), row.value(1).toString(),
                           row.value(2).toByteArray() });
        });
    if (!read)
        return read;
    return found;
}
