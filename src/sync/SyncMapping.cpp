#include "SyncMapping.h"

#include "SyncAccount.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/Transaction.h"

namespace {

const QString cardsTable = QStringLiteral("CardDavCards");
const QString stateTable = QStringLiteral("CardDavState");

} // namespace

SyncMapping::SyncMapping(Database &database)
    : m_database(database)
{ }

Result<QUrl> SyncMapping::load(const QUrl &addressBook, bool relink)
{
    m_addressBook = canonicalAddress(addressBook);
    m_entries.clear();
    m_hrefByContact.clear();
    Transaction transaction(m_database);
    Status done = transaction.begin();
    if (done)
        done = Schema::ensureFeatureTable(m_database, cardsTable);
    if (done)
        done = Schema::ensureFeatureTable(m_database, stateTable);
    if (!done)
        return done;
    const auto stored
        = m_database.records(QStringLiteral("SELECT AddressBook, SyncToken FROM CardDavState"));
    if (!stored)
        return stored.status();
    const QUrl linked = stored.value().size() == 1
        ? canonicalAddress(QUrl(stored.value().first().value(0).toString()))
        : QUrl();
    if (linked != m_addressBook) {
        const auto links = m_database.records(QStringLiteral("SELECT COUNT(*) FROM CardDavCards"));
        if (!links)
            return links.status();
        if (!relink && links.value().first().value(0).toInt() > 0 && !linked.isEmpty())
            return linked;
        if (Status reset = startOver(); !reset)
            return reset;
    } else {
        m_syncToken = stored.value().first().value(1).toString();
        // Older files kept the address as it was typed.
        const auto respelt
            = m_database.execute(QStringLiteral("UPDATE CardDavState SET AddressBook = ?"),
                                 { m_addressBook.toString() });
        if (!respelt)
            return respelt.status();
    }
    if (Status committed = transaction.commit(); !committed)
        return committed;
    const Status read = m_database.select(
        QStringLiteral("SELECT ContactID, Href, ETag, UID, Card FROM CardDavCards"), {},
        [this](const QSqlQuery &row) {
            Entry entry { row.value(0).toLongLong(), row.value(1).toString(),
                          row.value(2).toString(), row.value(3).toString(),
                          row.value(4).toByteArray() };
            m_hrefByContact.insert(entry.contactId, entry.href);
            m_entries.insert(entry.href, std::move(entry));
        });
    if (!read)
        return read;
    return QUrl();
}

Status SyncMapping::startOver()
{
    // Another address book: its cards say nothing about this one.
    auto reset = m_database.execute(QStringLiteral("DELETE FROM CardDavCards"));
    if (reset)
        reset = m_database.execute(QStringLiteral("DELETE FROM CardDavState"));
    if (reset)
        reset = m_database.execute(
            QStringLiteral("INSERT INTO CardDavState (AddressBook, SyncToken) VALUES (?, '')"),
            { m_addressBook.toString() });
    return reset.status();
}

const SyncMapping::Entry *SyncMapping::findContact(qint64 contactId) const
{
    const auto href = m_hrefByContact.constFind(contactId);
    if (href == m_hrefByContact.constEnd())
        return nullptr;
    const auto entry = m_entries.constFind(*href);
    return entry == m_entries.constEnd() ? nullptr : &*entry;
}

Status SyncMapping::put(const Entry &entry)
{
    auto written = m_database.execute(
        QStringLiteral("DELETE FROM CardDavCards WHERE Href = ? OR ContactID = ?"),
        { entry.href, entry.contactId });
    if (written)
        written = m_database.execute(
            QStringLiteral("INSERT INTO CardDavCards (ContactID, Href, ETag, UID, Card) "
                           "VALUES (?, ?, ?, ?, ?)"),
            { entry.contactId, entry.href, entry.etag, entry.uid, entry.card });
    if (!written)
        return written.status();
    if (const Entry *old = findContact(entry.contactId))
        m_entries.remove(old->href);
    if (const auto other = m_entries.constFind(entry.href); other != m_entries.constEnd())
        m_hrefByContact.remove(other->contactId);
    m_entries.insert(entry.href, entry);
    m_hrefByContact.insert(entry.contactId, entry.href);
    return Status::success();
}

Status SyncMapping::remove(const QString &href)
{
    const auto removed
        = m_database.execute(QStringLiteral("DELETE FROM CardDavCards WHERE Href = ?"), { href });
    if (!removed)
        return removed.status();
    if (const auto entry = m_entries.constFind(href); entry != m_entries.constEnd()) {
        m_hrefByContact.remove(entry->contactId);
        m_entries.erase(entry);
    }
    return Status::success();
}

Status SyncMapping::saveSyncToken(const QString &token)
{
    const auto saved
        = m_database.execute(QStringLiteral("UPDATE CardDavState SET SyncToken = ?"), { token });
    if (!saved)
        return saved.status();
    m_syncToken = token;
    return Status::success();
}

Result<int> SyncMapping::linkedContactsGone() const
{
    const auto counted = m_database.records(
        QStringLiteral("SELECT COUNT(*) FROM CardDavCards WHERE ContactID NOT IN "
                       "(SELECT ID FROM Contacts)"));
    if (!counted)
        return counted.status();
    return counted.value().first().value(0).toInt();
}

Result<int> SyncMapping::contactCount() const
{
    const auto counted = m_database.records(QStringLiteral("SELECT COUNT(*) FROM Contacts"));
    if (!counted)
        return counted.status();
    return counted.value().first().value(0).toInt();
}
