#include "SyncMapping.h"

#include "SyncAccount.h"
#include "data/ContactChanges.h"
#include "data/Database.h"
#include "data/Schema.h"
#include "data/Transaction.h"

#include <QSqlQuery>

namespace {

const QString cardsTable = QStringLiteral("CardDavCards");
const QString stateTable = QStringLiteral("CardDavState");
const QString checkedTable = QStringLiteral("CardDavChecked");

SyncMapping::Entry entryOf(const QSqlQuery &row)
{
    return { row.value(0).toLongLong(), row.value(1).toString(), row.value(2).toString(),
             row.value(3).toString(), row.value(4).toByteArray() };
}

Status ensureTables(Database &database)
{
    for (const QString &table : { cardsTable, stateTable, checkedTable }) {
        if (Status made = Schema::ensureFeatureTable(database, table); !made)
            return made;
    }
    return Status::success();
}

} // namespace

SyncMapping::SyncMapping(Database &database)
    : m_database(database)
{ }

Result<QUrl> SyncMapping::load(const QUrl &addressBook, bool relink)
{
    m_addressBook = canonicalAddress(addressBook);
    m_syncToken.clear();
    Transaction transaction(m_database);
    Status done = transaction.begin();
    if (done)
        done = ensureTables(m_database);
    if (!done)
        return done;
    const auto counters = ContactChanges::ensure(m_database);
    if (!counters)
        return counters.status();
    const auto stored
        = m_database.records(QStringLiteral("SELECT AddressBook, SyncToken FROM CardDavState"));
    if (!stored)
        return stored.status();
    const QUrl linked = stored.value().size() == 1
        ? canonicalAddress(QUrl(stored.value().first().value(0).toString()))
        : QUrl();
    if (linked != m_addressBook) {
        const auto links = linkCount();
        if (!links)
            return links.status();
        if (!relink && links.value() > 0 && !linked.isEmpty())
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
    // Counters made afresh start again from 1: every contact is compared once more.
    if (counters.value()) {
        // A contact deleted before there were counters still has its card on the server.
        const auto counted = m_database.execute(
            QStringLiteral("INSERT INTO ContactChanges (ContactID, Change) SELECT ContactID, 1 "
                           "FROM CardDavCards WHERE ContactID NOT IN "
                           "(SELECT ContactID FROM ContactChanges)"));
        if (Status forgotten = counted ? saveChecked(0) : counted.status(); !forgotten)
            return forgotten;
    }
    const auto checked = m_database.scalar(
        QStringLiteral("SELECT COALESCE(MAX(Change), 0) FROM %1").arg(checkedTable));
    const auto links = linkCount();
    if (!checked || !links)
        return !checked ? checked.status() : links.status();
    m_checked = checked.value().toLongLong();
    m_startedEmpty = links.value() == 0;
    if (Status committed = transaction.commit(); !committed)
        return committed;
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
    if (!reset)
        return reset.status();
    return saveChecked(0);
}

Result<std::optional<SyncMapping::Entry>> SyncMapping::findWhere(const QString &condition,
                                                                 const QVariant &value) const
{
    std::optional<Entry> found;
    const Status read = m_database.select(
        QStringLiteral("SELECT ContactID, Href, ETag, UID, Card FROM CardDavCards WHERE %1 = ?")
            .arg(condition),
        { value }, [&found](const QSqlQuery &row) { found = entryOf(row); });
    if (!read)
        return read;
    return found;
}

Result<std::optional<SyncMapping::Entry>> SyncMapping::find(const QString &href) const
{
    return findWhere(QStringLiteral("Href"), href);
}

Result<std::optional<SyncMapping::Entry>> SyncMapping::findContact(qint64 contactId) const
{
    return findWhere(QStringLiteral("ContactID"), contactId);
}

Result<std::optional<SyncMapping::Entry>> SyncMapping::findUid(const QString &uid) const
{
    return findWhere(QStringLiteral("UID"), uid);
}

Result<QHash<QString, QString>> SyncMapping::etags() const
{
    QHash<QString, QString> out;
    const Status read = m_database.select(
        QStringLiteral("SELECT Href, ETag FROM CardDavCards"), {}, [&out](const QSqlQuery &row) {
            out.insert(row.value(0).toString(), row.value(1).toString());
        });
    if (!read)
        return read;
    return out;
}

Result<int> SyncMapping::linkCount() const
{
    const auto counted = m_database.scalar(QStringLiteral("SELECT COUNT(*) FROM CardDavCards"));
    if (!counted)
        return counted.status();
    return counted.value().toInt();
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
    return written.status();
}

Status SyncMapping::remove(const QString &href)
{
    return m_database.execute(QStringLiteral("DELETE FROM CardDavCards WHERE Href = ?"), { href })
        .status();
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

Result<int> SyncMapping::contactCount() const
{
    const auto counted = m_database.scalar(QStringLiteral("SELECT COUNT(*) FROM Contacts"));
    if (!counted)
        return counted.status();
    return counted.value().toInt();
}

Result<SyncMapping::Changes> SyncMapping::changesSinceChecked() const
{
    // The counter is read before any row: a contact written later counts higher and waits for
    // the next sync, however its row reads now.
    const auto latest = ContactChanges::latest(m_database);
    if (!latest)
        return latest.status();
    return Changes { m_checked, latest.value() };
}

Result<QList<SyncMapping::Entry>> SyncMapping::linkedContactsGone(const Changes &changes) const
{
    QList<Entry> gone;
    const Status read = m_database.select(
        QStringLiteral("SELECT ContactID, Href, ETag, UID, Card FROM CardDavCards "
                       "WHERE ContactID IN (SELECT ContactID FROM ContactChanges "
                       "WHERE Change > ? AND Change <= ?) AND NOT EXISTS "
                       "(SELECT 1 FROM Contacts WHERE ID = CardDavCards.ContactID)"),
        { changes.after, changes.upTo }, [&gone](const QSqlQuery &row) { gone << entryOf(row); });
    if (!read)
        return read;
    return gone;
}

Status SyncMapping::saveChecked(qint64 upTo)
{
    auto saved = m_database.execute(QStringLiteral("DELETE FROM %1").arg(checkedTable));
    if (saved)
        saved = m_database.execute(
            QStringLiteral("INSERT INTO %1 (Change) VALUES (?)").arg(checkedTable), { upTo });
    if (!saved)
        return saved.status();
    m_checked = upTo;
    return Status::success();
}
