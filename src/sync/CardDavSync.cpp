#include "CardDavSync.h"

#include "CardMerge.h"
#include "Collection.h"
#include "DavBodies.h"
#include "DavClient.h"
#include "LocalCards.h"
#include "Multistatus.h"
#include "SyncCard.h"
#include "SyncMapping.h"
#include "contacts/ContactNames.h"

#include <QEventLoop>
#include <QSet>
#include <QTimer>
#include <QUuid>

namespace {

constexpr int multigetBatch = 100;
// A card that keeps changing on the server while we upload it is left for the next sync.
constexpr int conflictRetries = 3;
// Over a network an upload waits mostly for its answer; a local server gains nothing from more.
constexpr int parallelUploads = 2;
// The ETag of a card the server took without telling its ETag: equal to none, so the next sync
// fetches the card and finds nothing changed.
const QString unknownEtag = QStringLiteral("-");

QString newUid()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces);
}

bool isSuccess(int status)
{
    return status >= 200 && status <= 299;
}

// Answers to a sync-collection REPORT from a server that does not offer it.
bool lacksSyncReport(int status)
{
    return status == 400 || status == 403 || status == 405 || status == 409 || status == 415
        || status == 501;
}

} // namespace

class CardDavSync::Run
{
public:
    Run(CardDavSync &owner, Database &database, const SyncAccount &account, const QString &password,
        std::chrono::milliseconds timeout)
        : m_owner(owner)
        , m_mapping(database)
        , m_local(database, m_mapping)
        , m_collection(account.addressBook)
    {
        m_client.setCredentials(account.user, password);
        m_client.setTimeout(timeout);
    }

    void start()
    {
        if (Status loaded = m_mapping.load(m_collection.url()); !loaded)
            return fail(loaded);
        listChanges(m_mapping.syncToken());
    }

    void cancel() { fail(Status::failure(QStringLiteral("同步已取消。"))); }

private:
    struct Upload
    {
        ContactRecord contact;
        SyncMapping::Entry entry;
        bool remove = false;
        int attempts = 0;
    };

    // ---- What changed on the server

    void listChanges(const QString &token)
    {
        send("REPORT", m_collection.url(), DavBodies::syncCollection(token), { { "Depth", "0" } },
             [this, token](const DavReply &reply) {
                 if (reply.status == 207)
                     return readListing(reply.body, token.isEmpty());
                 // A token the server no longer knows: start over from none.
                 if (!token.isEmpty() && lacksSyncReport(reply.status))
                     return listChanges(QString());
                 if (token.isEmpty() && lacksSyncReport(reply.status))
                     return listAll();
                 fail(DavClient::unexpected(reply));
             });
    }

    // Servers without sync tokens: every card's ETag.
    void listAll()
    {
        send("PROPFIND", m_collection.url(), DavBodies::etags(), { { "Depth", "1" } },
             [this](const DavReply &reply) {
                 if (reply.status != 207)
                     return fail(DavClient::unexpected(reply));
                 readListing(reply.body, true);
             });
    }

    // complete: the listing names every card, so a mapped card it lacks was deleted there. A
    // partial listing's token picks up where it stopped at the next sync.
    void readListing(const QByteArray &body, bool complete)
    {
        const auto listing = Multistatus::parse(body);
        if (!listing)
            return fail(listing.status());
        QHash<QString, QString> listed;
        for (const DavResource &resource : listing.value().resources) {
            const auto path = m_collection.member(resource.href);
            if (!path)
                return fail(path.status());
            // A 507 on the collection itself: the server listed only part of the changes.
            if (path.value().isEmpty() && resource.status == 507)
                complete = false;
            if (path.value().isEmpty() || resource.isAddressBook)
                continue;
            if (resource.status == 404)
                m_removed << path.value();
            else if (isSuccess(resource.status))
                listed.insert(path.value(), resource.etag);
        }
        const auto &mapped = m_mapping.byHref();
        if (complete) {
            for (const SyncMapping::Entry &entry : mapped) {
                if (!entry.etag.isEmpty() && !listed.contains(entry.href))
                    m_removed << entry.href;
            }
        }
        for (auto it = listed.cbegin(); it != listed.cend(); ++it) {
            const auto entry = mapped.constFind(it.key());
            if (entry == mapped.cend() || entry->etag != it.value())
                m_toFetch << it.key();
        }
        m_newToken = listing.value().syncToken;
        m_total = int(m_toFetch.size() + m_removed.size());
        fetchNext();
    }

    void fetchNext()
    {
        if (m_toFetch.isEmpty())
            return applyRemovals();
        const QStringList batch = m_toFetch.mid(0, multigetBatch);
        m_toFetch.remove(0, batch.size());
        QStringList hrefs;
        for (const QString &path : batch)
            hrefs << Collection::encoded(path);
        send("REPORT", m_collection.url(), DavBodies::multiget(hrefs), { { "Depth", "1" } },
             [this](const DavReply &reply) {
                 if (reply.status != 207)
                     return fail(DavClient::unexpected(reply));
                 const auto cards = Multistatus::parse(reply.body);
                 if (!cards)
                     return fail(cards.status());
                 for (const DavResource &card : cards.value().resources) {
                     if (!applyFetched(card))
                         return;
                 }
                 fetchNext();
             });
    }

    bool applyFetched(const DavResource &card)
    {
        const auto path = m_collection.member(card.href);
        if (!path) {
            fail(path.status());
            return false;
        }
        if (path.value().isEmpty())
            return true;
        Status applied = Status::success();
        if (isSuccess(card.status) && !card.addressData.isEmpty())
            applied = applyRemote(path.value(), card.etag, card.addressData);
        else if (card.status == 404)
            applied = applyRemoval(path.value());
        return step(applied);
    }

    // After each card: the report of a failure, a cancel, or the progress.
    bool step(const Status &applied)
    {
        if (!applied) {
            fail(applied);
            return false;
        }
        emit m_owner.progress(++m_done, m_total);
        return !m_stopped;
    }

    Status applyRemote(const QString &path, const QString &etag, const QByteArray &bytes)
    {
        auto parsed = SyncCard::parse(bytes);
        // A card that names nobody, or takes a name the program reserves, stays on the server.
        if (!parsed
            || ContactNames::isReserved(parsed.value().contact.firstName,
                                        parsed.value().contact.lastName))
            return Status::success();
        SyncCard remote = parsed.takeValue();
        const auto entry = m_mapping.byHref().constFind(path);
        const bool mapped = entry != m_mapping.byHref().cend();
        if (remote.uid.isEmpty())
            remote.uid = mapped ? entry->uid : newUid();
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
            ++m_report.downloaded;
        }
        return m_local.store(result, { 0, path, etag, remote.uid, remote.write() });
    }

    Status applyRemoval(const QString &path)
    {
        const auto found = m_mapping.byHref().constFind(path);
        if (found == m_mapping.byHref().cend())
            return Status::success();
        SyncMapping::Entry entry = *found;
        const auto local = m_local.read(entry.contactId);
        if (!local)
            return local.status();
        if (!local.value())
            return m_local.dropMapping(path);
        if (changedHere(*local.value(), entry)) {
            // Changed here, deleted there: the change wins and goes back up.
            entry.etag.clear();
            return m_local.storeMapping(entry);
        }
        ++m_report.deletedHere;
        return m_local.remove(entry);
    }

    void applyRemovals()
    {
        const QStringList removed = m_removed;
        m_removed.clear();
        for (const QString &path : removed) {
            if (!step(applyRemoval(path)))
                return;
        }
        if (!m_newToken.isEmpty()) {
            if (Status saved = m_local.storeToken(m_newToken); !saved)
                return fail(saved);
        }
        planUploads();
    }

    // ---- What changed here

    static SyncCard lastSynced(const SyncMapping::Entry &entry)
    {
        auto base = SyncCard::parse(entry.card);
        SyncCard card = base ? base.takeValue() : SyncCard();
        card.uid = entry.uid;
        return card;
    }

    // Uploads start from the contact's kept card, which the last download updated.
    QByteArray cardOf(const ContactRecord &contact, const SyncMapping::Entry &entry)
    {
        SyncCard card = lastSynced(entry).withContact(contact);
        if (const auto kept = m_local.keptCard(contact); kept)
            card.card = kept.value();
        return card.write();
    }

    bool changedHere(const ContactRecord &contact, const SyncMapping::Entry &entry)
    {
        return cardOf(contact, entry) != entry.card;
    }

    ContactRecord mergeInto(const ContactRecord &local, const SyncMapping::Entry &entry,
                            const SyncCard &remote)
    {
        const auto base = SyncCard::parse(entry.card);
        ContactRecord merged = CardMerge::merge(base ? base.value().contact : ContactRecord(),
                                                local, remote.contact);
        merged.id = local.id;
        return merged;
    }

    void planUploads()
    {
        const auto contacts = m_local.readAll();
        if (!contacts)
            return fail(contacts.status());
        QSet<qint64> present;
        for (const ContactRecord &contact : contacts.value()) {
            present.insert(contact.id);
            const SyncMapping::Entry *entry = m_mapping.findContact(contact.id);
            if (!entry) {
                const QString uid = newUid();
                m_uploads.append(
                    { contact, { contact.id, m_collection.newCardPath(uid), {}, uid, {} } });
            } else if (entry->etag.isEmpty() || changedHere(contact, *entry)) {
                m_uploads.append({ contact, *entry });
            }
        }
        for (const SyncMapping::Entry &entry : m_mapping.byHref()) {
            if (!present.contains(entry.contactId))
                m_uploads.append({ {}, entry, true });
        }
        m_total += int(m_uploads.size());
        uploadNext();
    }

    // A few uploads at a time (parallelUploads).
    void uploadNext()
    {
        while (!m_stopped && m_inFlight < parallelUploads && m_nextUpload < m_uploads.size()) {
            const Upload &upload = m_uploads.at(m_nextUpload++);
            ++m_inFlight;
            if (upload.remove)
                removeThere(upload);
            else
                put(upload);
        }
        if (!m_stopped && m_inFlight == 0)
            succeed();
    }

    // Every upload ends here, whatever became of it. After a failure the others still on their
    // way are waited for, so what reached the server is on record.
    void uploadDone()
    {
        --m_inFlight;
        if (!m_stopped)
            return uploadNext();
        if (m_inFlight == 0)
            m_owner.finish(m_failure);
    }

    void uploadFailed(const Status &failure)
    {
        fail(failure);
        uploadDone();
    }

    void put(const Upload &upload)
    {
        if (m_stopped)
            return uploadDone();
        // Never over a card we have not seen: its ETag first.
        if (upload.entry.etag == unknownEtag)
            return refetch(upload);
        const QByteArray card = cardOf(upload.contact, upload.entry);
        DavClient::Headers headers { { "Content-Type", "text/vcard; charset=utf-8" } };
        if (upload.entry.etag.isEmpty())
            headers.append(qMakePair(QByteArray("If-None-Match"), QByteArray("*")));
        else
            headers.append(qMakePair(QByteArray("If-Match"), upload.entry.etag.toUtf8()));
        sendUpload(
            "PUT", upload.entry.href, card, headers, [this, upload, card](const DavReply &reply) {
                if (reply.status == 412)
                    return refetch(upload);
                if (!isSuccess(reply.status))
                    return uploadFailed(DavClient::unexpected(reply));
                SyncMapping::Entry entry = upload.entry;
                entry.contactId = upload.contact.id;
                entry.etag = reply.etag.isEmpty() ? unknownEtag : QString::fromUtf8(reply.etag);
                entry.card = card;
                ++m_report.uploaded;
                step(m_local.storeMapping(entry));
                uploadDone();
            });
    }

    // The server's card changed since we last saw it: merge it in, then try again.
    void refetch(Upload upload)
    {
        if (m_stopped)
            return uploadDone();
        if (++upload.attempts > conflictRetries)
            return uploadFailed(Status::failure(
                QStringLiteral("服务器上的联系人“%1”一直在变，同步已停止，请稍后再同步。")
                    .arg(upload.contact.displayName())));
        sendUpload("GET", upload.entry.href, {}, {}, [this, upload](const DavReply &reply) mutable {
            if (reply.status == 404) {
                upload.entry.etag.clear();
                return upload.remove ? forget(upload) : put(upload);
            }
            if (!isSuccess(reply.status))
                return uploadFailed(DavClient::unexpected(reply));
            const auto remote = SyncCard::parse(reply.body);
            if (!remote)
                return uploadFailed(Status::failure(QStringLiteral("服务器返回的名片无法读取：")
                                                    + remote.message()));
            const QString etag = reply.etag.isEmpty() ? unknownEtag : QString::fromUtf8(reply.etag);
            const bool changedThere = remote.value().write() != upload.entry.card;
            if (upload.remove && changedThere)
                return restoreHere(upload, remote.value(), etag);
            if (upload.remove) {
                upload.entry.etag = etag;
                return removeThere(upload);
            }
            mergeAndRetry(upload, remote.value(), etag, changedThere);
        });
    }

    void mergeAndRetry(Upload upload, SyncCard remote, const QString &etag, bool changedThere)
    {
        if (remote.uid.isEmpty())
            remote.uid = upload.entry.uid;
        const ContactRecord merged = mergeInto(upload.contact, upload.entry, remote);
        SyncMapping::Entry entry { upload.contact.id, upload.entry.href, etag, remote.uid,
                                   remote.write() };
        if (Status stored = m_local.store(merged, entry); !stored)
            return uploadFailed(stored);
        m_report.merged += changedThere ? 1 : 0;
        upload.contact = merged;
        upload.entry = entry;
        put(upload);
    }

    void removeThere(const Upload &upload)
    {
        if (m_stopped)
            return uploadDone();
        if (upload.entry.etag.isEmpty())
            return forget(upload);
        if (upload.entry.etag == unknownEtag)
            return refetch(upload);
        sendUpload("DELETE", upload.entry.href, {}, { { "If-Match", upload.entry.etag.toUtf8() } },
                   [this, upload](const DavReply &reply) {
                       if (reply.status == 412)
                           return refetch(upload);
                       if (!isSuccess(reply.status) && reply.status != 404)
                           return uploadFailed(DavClient::unexpected(reply));
                       ++m_report.deletedThere;
                       forget(upload);
                   });
    }

    void forget(const Upload &upload)
    {
        step(m_local.dropMapping(upload.entry.href));
        uploadDone();
    }

    // Deleted here, changed there: the change wins and comes back as a contact.
    void restoreHere(const Upload &upload, SyncCard remote, const QString &etag)
    {
        if (remote.uid.isEmpty())
            remote.uid = upload.entry.uid;
        ContactRecord contact = remote.contact;
        contact.id = 0;
        ++m_report.downloaded;
        step(m_local.store(contact, { 0, upload.entry.href, etag, remote.uid, remote.write() }));
        uploadDone();
    }

    // ---- Plumbing

    void send(const QByteArray &method, const QUrl &url, const QByteArray &body,
              const DavClient::Headers &headers, std::function<void(const DavReply &)> onAnswer)
    {
        if (m_stopped)
            return;
        m_client.send(method, url, body, headers,
                      [this, onAnswer = std::move(onAnswer)](const Result<DavReply> &reply) {
                          if (!reply)
                              return fail(reply.status());
                          onAnswer(reply.value());
                      });
    }

    // A request of an upload: however it ends, the upload ends through uploadDone().
    void sendUpload(const QByteArray &method, const QString &path, const QByteArray &body,
                    const DavClient::Headers &headers,
                    std::function<void(const DavReply &)> onAnswer)
    {
        m_client.send(method, m_collection.urlOf(path), body, headers,
                      [this, onAnswer = std::move(onAnswer)](const Result<DavReply> &reply) {
                          if (!reply)
                              return uploadFailed(reply.status());
                          onAnswer(reply.value());
                      });
    }

    void succeed()
    {
        m_stopped = true;
        m_report.requests = m_client.requestsSent();
        m_owner.finish(m_report);
    }

    // Stops at once, or once the uploads on their way have ended.
    void fail(const Status &failure)
    {
        if (m_stopped)
            return;
        m_stopped = true;
        m_failure = failure;
        if (m_inFlight > 0)
            return;
        m_client.abortAll();
        m_owner.finish(failure);
    }

    CardDavSync &m_owner;
    DavClient m_client;
    SyncMapping m_mapping;
    LocalCards m_local;
    Collection m_collection;
    SyncReport m_report;
    QStringList m_toFetch;
    QStringList m_removed;
    QString m_newToken;
    QList<Upload> m_uploads;
    qsizetype m_nextUpload = 0;
    int m_inFlight = 0;
    Status m_failure = Status::success();
    int m_done = 0;
    int m_total = 0;
    bool m_stopped = false;
};

CardDavSync::CardDavSync(Database &database, QObject *parent)
    : QObject(parent)
    , m_database(database)
    , m_timeout(std::chrono::seconds(30))
{ }

CardDavSync::~CardDavSync() = default;

void CardDavSync::setTimeout(std::chrono::milliseconds perRequest)
{
    m_timeout = perRequest;
}

void CardDavSync::start(const SyncAccount &account, const QString &password)
{
    if (!account.isComplete())
        return finish(Status::failure(QStringLiteral("请先在“同步设置”中选择服务器和通讯录。")));
    if (Status address = checkServerAddress(account.addressBook); !address)
        return finish(address);
    m_run = std::make_unique<Run>(*this, m_database, account, password, m_timeout);
    QTimer::singleShot(0, this, [this] {
        if (m_run)
            m_run->start();
    });
}

Result<SyncReport> CardDavSync::run(const SyncAccount &account, const QString &password)
{
    Result<SyncReport> outcome = Status::failure(QString());
    QEventLoop loop;
    connect(this, &CardDavSync::finished, &loop,
            [&outcome, &loop](const Result<SyncReport> &report) {
                outcome = report;
                loop.quit();
            });
    start(account, password);
    loop.exec();
    return outcome;
}

void CardDavSync::cancel()
{
    if (m_run)
        m_run->cancel();
}

void CardDavSync::finish(const Result<SyncReport> &report)
{
    QTimer::singleShot(0, this, [this, report] {
        m_run.reset();
        emit finished(report);
    });
}
