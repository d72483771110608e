#include "ImportMerge.h"

#include "cards/CardProjection.h"
#include "cards/CardStore.h"
#include "cards/CardUnion.h"
#include "contacts/ContactStore.h"
#include "data/Database.h"
#include "data/ReservedRows.h"

#include <QHash>
#include <QSqlQuery>

namespace {

bool isBlank(const QString &text)
{
    return ContactNames::trimBlanks(text).isEmpty();
}

void fill(QString &field, const QString &value)
{
    if (isBlank(field))
        field = value;
}

} // namespace

namespace ImportMerge {

QString nameKey(const QString &familyName, const QString &givenName)
{
    return familyName.toLower() + QChar(0x1F) + givenName.toLower();
}

ContactRecord filled(const ContactRecord &existing, const ContactRecord &incoming)
{
    ContactRecord row = existing;
    fill(row.title, incoming.title);
    fill(row.companyName, incoming.companyName);
    fill(row.email, incoming.email);
    fill(row.website, incoming.website);
    fill(row.notes, incoming.notes);
    if (isBlank(row.address1) && isBlank(row.address2) && isBlank(row.address3)
        && isBlank(row.postcode)) {
        row.address1 = incoming.address1;
        row.address2 = incoming.address2;
        row.address3 = incoming.address3;
        row.postcode = incoming.postcode;
    }
    for (size_t i = 0; i < row.numbers.size(); ++i) {
        const QString &number = incoming.numbers.at(i);
        if (!isBlank(row.numbers.at(i)) || isBlank(number)
            || std::find(row.numbers.cbegin(), row.numbers.cend(), number) != row.numbers.cend())
            continue;
        row.numbers[i] = number;
        row.labels[i] = incoming.labels.at(i);
    }
    return row;
}

Result<QHash<QString, qint64>> contactsByName(Database &database)
{
    QHash<QString, qint64> ids;
    const Status read = database.select(
        QStringLiteral("SELECT ID, FirstName, LastName FROM Contacts ORDER BY ID"), {},
        [&ids](const QSqlQuery &row) {
            const QString family = row.value(1).toString();
            const QString given = row.value(2).toString();
            if (!ReservedRows::matches(family, given))
                ids.insert(nameKey(family, given), row.value(0).toLongLong());
        });
    if (!read)
        return read;
    return ids;
}

Status mergeInto(Database &database, qint64 id, const ContactRecord &incoming,
                 const QByteArray &incomingCard)
{
    ContactStore store(database);
    const auto existing = store.load(id);
    if (!existing)
        return existing.status();
    CardStore cards(database);
    const auto existingCard = cards.cardOf(existing.value());
    if (!existingCard)
        return existingCard.status();
    // The united card shows what the row would show of it: the empty fields take that, so the
    // card and its view agree.
    const Card united = CardUnion::unite(
        { existingCard.value(), CardStore::cardFor(incoming, incomingCard) }, existing.value());
    const ContactRecord merged
        = ImportMerge::filled(existing.value(), CardProjection::project(united));
    const auto saved = store.save({ existing.value(), merged, false });
    if (!saved.ok())
        return Status::failure(saved.message);
    return cards.keep(id, CardProjection::reconciled(united, merged));
}

} // namespace ImportMerge
