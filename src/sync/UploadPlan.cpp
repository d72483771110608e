#include "UploadPlan.h"

#include "Collection.h"
#include "LocalCards.h"
#include "ServerChanges.h"
#include "cards/CardProjection.h"
#include "data/Transaction.h"

#include <QUuid>
#include <algorithm>

namespace {

QString newUid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

} // namespace

UploadPlan::UploadPlan(Database &database, SyncMapping &mapping, LocalCards &local,
                       ServerChanges &changes, const Collection &collection)
    : m_database(database)
    , m_mapping(mapping)
    , m_local(local)
    , m_changes(changes)
    , m_collection(collection)
{ }

Result<QList<Upload>> UploadPlan::make(int &compared)
{
    const auto changes = m_mapping.changesSinceChecked();
    if (!changes)
        return changes.status();
    m_checkedUpTo = changes.value().upTo;
    const auto contacts = m_local.readChanged(changes.value());
    const auto gone = m_mapping.linkedContactsGone(changes.value());
    if (!contacts || !gone)
        return !contacts ? contacts.status() : gone.status();
    compared = int(contacts.value().size());
    QList<Upload> uploads;
    QList<SyncMapping::Entry> named;
    for (const ContactRecord &contact : contacts.value()) {
        const auto entry = m_mapping.findContact(contact.id);
        if (!entry)
            return entry.status();
        if (!entry.value()) {
            const auto uid = uidForNewCard(contact, named);
            if (!uid)
                return uid.status();
            named.append({ contact.id, m_collection.newCardPath(newUid()), {}, uid.value(), {} });
            uploads.append({ contact, named.constLast() });
        } else if (m_changes.isUnreadable(entry.value()->href)) {
            continue;
        } else if (entry.value()->etag.isEmpty()
                   || m_changes.changedHere(contact, *entry.value())) {
            uploads.append({ contact, *entry.value() });
        }
    }
    for (const SyncMapping::Entry &entry : gone.value()) {
        if (!m_changes.isUnreadable(entry.href))
            uploads.append({ {}, entry, true });
    }
    if (Status kept = keepNames(named); !kept)
        return kept;
    return uploads;
}

// A contact that was on the server before (a merge undone after a sync took its card away) goes
// back under the UID of its kept card; any other gets a new one. The card's name is new either
// way: a UID from another program may not make a safe path.
Result<QString> UploadPlan::uidForNewCard(const ContactRecord &contact,
                                          const QList<SyncMapping::Entry> &named)
{
    const auto kept = m_local.keptCard(contact);
    if (!kept)
        return kept.status();
    const QString uid = CardProjection::uid(kept.value());
    const bool namedNow
        = std::any_of(named.cbegin(), named.cend(),
                      [&uid](const SyncMapping::Entry &entry) { return entry.uid == uid; });
    if (uid.isEmpty() || namedNow)
        return newUid();
    const auto linked = m_mapping.findUid(uid);
    if (!linked)
        return linked.status();
    return linked.value() ? newUid() : uid;
}

// A new card's name and UID are on record before it is sent, so a retry after a lost answer finds
// the card the server may have made instead of making a second.
Status UploadPlan::keepNames(const QList<SyncMapping::Entry> &named)
{
    if (named.isEmpty())
        return Status::success();
    Transaction transaction(m_database);
    if (Status begun = transaction.begin(); !begun)
        return begun;
    for (const SyncMapping::Entry &entry : named) {
        if (Status kept = m_mapping.put(entry); !kept)
            return kept;
    }
    return transaction.commit();
}

// A contact whose card could not be read keeps the mark where it was, to be compared again once
// the card reads.
Status UploadPlan::markChecked()
{
    if (m_changes.hasUnreadable())
        return Status::success();
    return m_local.storeChecked(m_checkedUpTo);
}
