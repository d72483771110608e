#include "LocalCards.h"

#include "SyncCard.h"
#include "cards/CardProjection.h"
#include "cards/CardReader.h"
#include "cards/CardStore.h"
#include "cards/CardUnion.h"
#include "contacts/ContactNames.h"
#include "data/ContactChanges.h"
#include "data/Database.h"
#include "data/Transaction.h"
#include "interchange/CardImport.h"
#include "interchange/ContactColumns.h"

namespace {

QString selectContacts()
{
    return QStringLiteral("SELECT ID, %1 FROM Contacts").arg(ContactColumns::list());
}

ContactRecord fromRow(const QSqlQuery &row)
{
    ContactRecord contact = ContactColumns::fromQuery(row, 1);
    contact.id = row.value(0).toLongLong();
    return contact;
}

// Runs one change and commits it, or leaves the file as it was.
template<typename Change> Status inTransaction(Database &database, Change change)
{
    Transaction transaction(database);
    if (Status begun = transaction.begin(); !begun)
        return begun;
    if (Status changed = change(); !changed)
        return changed;
    return transaction.commit();
}

} // namespace

LocalCards::LocalCards(Database &database, SyncMapping &mapping)
    : m_database(database)
    , m_mapping(mapping)
{ }

Result<QList<ContactRecord>> LocalCards::readWhere(const QString &condition,
                                                   const QVariantList &values)
{
    QList<ContactRecord> contacts;
    const Status read
        = m_database.select(selectContacts() + condition + QStringLiteral(" ORDER BY ID"), values,
                            [&contacts](const QSqlQuery &row) {
                                ContactRecord contact = fromRow(row);
                                if (!ContactNames::isReserved(contact.firstName, contact.lastName))
                                    contacts << std::move(contact);
                            });
    if (!read)
        return read;
    return contacts;
}

Result<QList<ContactRecord>> LocalCards::readAll()
{
    return readWhere({}, {});
}

Result<QList<ContactRecord>> LocalCards::readChanged(const SyncMapping::Changes &changes)
{
    return readWhere(QStringLiteral(" WHERE ID IN (SELECT ContactID FROM ContactChanges "
                                    "WHERE Change > ? AND Change <= ?)"),
                     { changes.after, changes.upTo });
}

Result<std::optional<ContactRecord>> LocalCards::read(qint64 contactId)
{
    std::optional<ContactRecord> found;
    const Status read
        = m_database.select(selectContacts() + QStringLiteral(" WHERE ID = ?"), { contactId },
                            [&found](const QSqlQuery &row) { found = fromRow(row); });
    if (!read)
        return read;
    return found;
}

Result<qint64> LocalCards::write(const ContactRecord &contact)
{
    if (Status groups = CardImport::addMissingGroups(m_database, { contact }); !groups)
        return groups;
    QVariantList values = ContactColumns::values(contact);
    if (contact.id == 0) {
        const QStringList marks(values.size(), QStringLiteral("?"));
        return m_database.insert(QStringLiteral("INSERT INTO Contacts (%1) VALUES (%2)")
                                     .arg(ContactColumns::list(), marks.join(QStringLiteral(", "))),
                                 values);
    }
    const QStringList columns = ContactColumns::list().split(QStringLiteral(", "));
    const auto updated
        = m_database.execute(QStringLiteral("UPDATE Contacts SET %1 = ? WHERE ID = ?")
                                 .arg(columns.join(QStringLiteral(" = ?, "))),
                             values << contact.id);
    if (!updated)
        return updated.status();
    return contact.id;
}

Result<QHash<QString, qint64>> LocalCards::keptUids()
{
    QHash<QString, qint64> uids;
    const Status read = m_database.select(
        QStringLiteral("SELECT ContactID, Card FROM ContactCards"), {},
        [&uids](const QSqlQuery &row) {
            const QList<Card> cards = CardReader::readAll(row.value(1).toByteArray());
            const QString uid = cards.isEmpty() ? QString() : CardProjection::uid(cards.first());
            if (!uid.isEmpty())
                uids.insert(uid, row.value(0).toLongLong());
        });
    if (!read)
        return read;
    return uids;
}

Result<Card> LocalCards::keptCard(const ContactRecord &contact)
{
    return CardStore(m_database).cardOf(contact);
}

Status LocalCards::store(const ContactRecord &contact, SyncMapping::Entry entry)
{
    return inTransaction(m_database, [&]() -> Status {
        const auto written = write(contact);
        if (!written)
            return written.status();
        entry.contactId = written.value();
        // The server's card with the row's fields; a value of the server's that a merge kept
        // out of the row stays in the card beside it.
        if (const auto synced = SyncCard::parse(entry.card); synced) {
            const Card card = CardUnion::unite({ synced.value().card }, contact);
            if (Status kept = CardStore(m_database).keep(entry.contactId, card); !kept)
                return kept;
        }
        return m_mapping.put(entry);
    });
}

Status LocalCards::storeMapping(const SyncMapping::Entry &entry)
{
    return inTransaction(m_database, [&] { return m_mapping.put(entry); });
}

Status LocalCards::inOneTransaction(const std::function<Status()> &writes)
{
    return inTransaction(m_database, writes);
}

Status LocalCards::storeForUpload(const SyncMapping::Entry &entry)
{
    return inTransaction(m_database, [&]() -> Status {
        if (Status kept = m_mapping.put(entry); !kept)
            return kept;
        return ContactChanges::touch(m_database, entry.contactId);
    });
}

Status LocalCards::dropMapping(const QString &href)
{
    return inTransaction(m_database, [&] { return m_mapping.remove(href); });
}

Status LocalCards::storeToken(const QString &token)
{
    return inTransaction(m_database, [&] { return m_mapping.saveSyncToken(token); });
}

Status LocalCards::storeChecked(qint64 upTo)
{
    return inTransaction(m_database, [&] { return m_mapping.saveChecked(upTo); });
}

Status LocalCards::remove(const SyncMapping::Entry &entry)
{
    const SyncMapping::Entry gone = entry;
    return inTransaction(m_database, [&]() -> Status {
        const auto deleted = m_database.execute(QStringLiteral("DELETE FROM Contacts WHERE ID = ?"),
                                                { gone.contactId });
        if (!deleted)
            return deleted.status();
        if (Status forgotten = CardStore(m_database).forget(gone.contactId); !forgotten)
            return forgotten;
        return m_mapping.remove(gone.href);
    });
}
