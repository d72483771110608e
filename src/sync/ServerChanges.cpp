#include "ServerChanges.h"

#include "CardMerge.h"
#include "FirstSyncPairing.h"
#include "LocalCards.h"
#include "SyncCard.h"
#include "SyncReport.h"
#include "cards/CardProjection.h"
#include "cards/CardReader.h"
#include "contacts/ContactNames.h"

#include <QUuid>

namespace {

QString newUid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

SyncCard lastSynced(const SyncMapping::Entry &entry)
{
    auto base = SyncCard::parse(entry.card);
    SyncCard card = base ? base.takeValue() : SyncCard();
    card.uid = entry.uid;
    return card;
}

} // namespace

ServerChanges::ServerChanges(SyncMapping &mapping, LocalCards &local, SyncReport &report)
    : m_mapping(mapping)
    , m_local(local)
    , m_report(report)
{ }

ServerChanges::~ServerChanges() = default;

Status ServerChanges::applyCard(const QString &path, const QString &etag, const QByteArray &bytes)
{
    auto parsed = SyncCard::parse(bytes);
    if (!parsed) {
        if (auto group = groupIn(bytes))
            m_groups << std::move(*group);
        else
            skipUnreadable(path);
        return Status::success();
    }
    // A card that takes a name the program reserves stays on the server.
    if (ContactNames::isReserved(parsed.value().contact.firstName, parsed.value().contact.lastName))
        return Status::success();
    SyncCard remote = parsed.takeValue();
    const auto found = m_mapping.find(path);
    if (!found)
        return found.status();
    const std::optional<SyncMapping::Entry> &entry = found.value();
    const bool mapped = entry.has_value();
    if (remote.uid.isEmpty())
        remote.uid = mapped ? entry->uid : newUid();
    const QByteArray card = remote.write();
    // Our own upload, listed again: only its ETag is news.
    if (mapped && card == entry->card) {
        SyncMapping::Entry seen = *entry;
        seen.etag = etag;
        return m_local.storeMapping(seen);
    }
    ContactRecord result = remote.contact;
    result.id = 0;
    if (mapped) {
        const auto local = m_local.read(entry->contactId);
        if (!local)
            return local.status();
        if (local.value()) {
            result = mergeInto(*local.value(), *entry, remote);
            ++(changedHere(*local.value(), *entry) ? m_report.merged : m_report.downloaded);
        } else {
            ++m_report.downloaded;
        }
    } else {
        const auto paired = pairedContact(remote);
        if (!paired)
            return paired.status();
        if (paired.value()) {
            // One person on both sides: merged as if both had changed since an empty card.
            result = CardMerge::merge(ContactRecord(), *paired.value(), remote.contact);
            result.id = paired.value()->id;
            ++m_report.merged;
        } else {
            ++m_report.downloaded;
        }
    }
    return m_local.store(result, { 0, path, etag, remote.uid, card });
}

// On a first sync, the contact here that is the same person as a new card from the server.
Result<std::optional<ContactRecord>> ServerChanges::pairedContact(const SyncCard &remote)
{
    if (!m_firstSync)
        return std::optional<ContactRecord>();
    if (!m_pairing) {
        const auto contacts = m_local.readAll();
        const auto uids = m_local.keptUids();
        if (!contacts || !uids)
            return !contacts ? contacts.status() : uids.status();
        m_pairing = std::make_unique<FirstSyncPairing>(contacts.value(), uids.value());
    }
    const FirstSyncPairing::Match match = m_pairing->claim(remote.contact, remote.uid);
    if (match.ambiguous)
        m_report.ambiguous << remote.contact.displayName();
    if (match.contactId == 0)
        return std::optional<ContactRecord>();
    return m_local.read(match.contactId);
}

Status ServerChanges::applyRemoval(const QString &path)
{
    const auto found = m_mapping.find(path);
    if (!found || !found.value())
        return found.status();
    SyncMapping::Entry entry = *found.value();
    const auto local = m_local.read(entry.contactId);
    if (!local)
        return local.status();
    if (!local.value())
        return m_local.dropMapping(path);
    if (changedHere(*local.value(), entry)) {
        // Changed here, deleted there: the change wins and goes back up.
        entry.etag.clear();
        return m_local.storeForUpload(entry);
    }
    ++m_report.deletedHere;
    return m_local.remove(entry);
}

std::optional<ServerChanges::Group> ServerChanges::groupIn(const QByteArray &bytes)
{
    const QList<Card> cards = CardReader::readAll(bytes);
    if (cards.isEmpty() || !CardProjection::isGroupCard(cards.first()))
        return std::nullopt;
    const QString name = cards.first().firstText(QStringLiteral("FN")).trimmed();
    if (name.isEmpty())
        return Group {};
    // The group's name as a member card naming it would give it: within the field's limit.
    Card named;
    CardProperty category { {}, QStringLiteral("CATEGORIES"), {}, {} };
    category.setText(name);
    named.properties << category;
    return Group { CardProjection::project(named).type, CardProjection::memberUids(cards.first()) };
}

Status ServerChanges::applyGroups()
{
    const QList<Group> groups = std::exchange(m_groups, {});
    for (const Group &group : groups) {
        if (group.name.isEmpty())
            continue;
        for (const QString &member : group.memberUids) {
            if (Status moved = regroup(member, group.name); !moved)
                return moved;
        }
    }
    return Status::success();
}

Status ServerChanges::regroup(const QString &memberUid, const QString &name)
{
    const auto found = m_mapping.findUid(memberUid);
    if (!found || !found.value())
        return found.status();
    SyncMapping::Entry entry = *found.value();
    const auto local = m_local.read(entry.contactId);
    if (!local || !local.value() || local.value()->type == name)
        return local.status();
    ContactRecord contact = *local.value();
    const bool changedHereBefore = changedHere(contact, entry);
    contact.type = name;
    return m_local.inOneTransaction([&]() -> Status {
        if (Status stored = m_local.store(contact, entry); !stored)
            return stored;
        // The group's word is the server's: the card as synced says it too, unless the contact
        // had changes of its own to send.
        if (!changedHereBefore)
            entry.card = cardOf(contact, entry);
        return m_local.storeMapping(entry);
    });
}

void ServerChanges::skipUnreadable(const QString &path)
{
    if (m_unreadable.contains(path))
        return;
    m_unreadable.insert(path);
    m_report.unreadable << path;
}

QByteArray ServerChanges::cardOf(const ContactRecord &contact, const SyncMapping::Entry &entry)
{
    SyncCard card = lastSynced(entry).withContact(contact);
    if (const auto kept = m_local.keptCard(contact); kept)
        card.card = kept.value();
    return card.write();
}

bool ServerChanges::changedHere(const ContactRecord &contact, const SyncMapping::Entry &entry)
{
    return cardOf(contact, entry) != entry.card;
}

ContactRecord ServerChanges::mergeInto(const ContactRecord &local, const SyncMapping::Entry &entry,
                                       const SyncCard &remote)
{
    const auto base = SyncCard::parse(entry.card);
    ContactRecord merged
        = CardMerge::merge(base ? base.value().contact : ContactRecord(), local, remote.contact);
    merged.id = local.id;
    return merged;
}
