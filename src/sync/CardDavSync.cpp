#include "CardDavSync.h"

#include "ChangeListing.h"
#include "Collection.h"
#include "DavBodies.h"
#include "DavClient.h"
#include "DeletionGuard.h"
#include "LocalCards.h"
#include "Multistatus.h"
#include "ServerChanges.h"
#include "SyncCard.h"
#include "SyncMapping.h"
#include "UploadPlan.h"
#include "data/Transaction.h"

#include <QEventLoop>
#include <QSet>
#include <QTimer>

namespace {

// Cards asked for in one request, and applied in one transaction.
constexpr int multigetBatch = 250;
// A card that keeps changing on the server while we upload it is left for the next sync.
constexpr int conflictRetries = 3;
// Over a network an upload waits mostly for its answer; a local server gains nothing from more.
constexpr int parallelUploads = 2;
// The ETag of a card the server took without telling its ETag: equal to none, so the next sync
// fetches the card and finds nothing changed.
const QString unknownEtag = QStringLiteral("-");

bool isSuccess(int status)
{
    return status >= 200 && status <= 299;
}

// Only a strong ETag says the bytes are the same: a weak one ("W/…") survives a proxy's
// recompression, so If-Match with it fails for ever.
bool isStrong(const QString &etag)
{
    return !etag.isEmpty() && etag != unknownEtag && !etag.startsWith(u"W/");
}

QString etagOf(const DavReply &reply)
{
    return reply.etag.isEmpty() ? unknownEtag : QString::fromUtf8(reply.etag);
}

} // namespace

class CardDavSync::Run
{
public:
    Run(CardDavSync &owner, Database &database, const SyncAccount &account, const QString &password,
        SyncPermissions permissions, std::chrono::milliseconds timeout)
        : m_owner(owner)
        , m_database(database)
        , m_mapping(database)
        , m_local(database, m_mapping)
        , m_changes(m_mapping, m_local, m_report)
        , m_collection(account.addressBook)
        , m_plan(database, m_mapping, m_local, m_changes, m_collection)
        , m_lister(m_client, m_collection)
        , m_permissions(permissions)
    {
        m_client.setCredentials(account.server, account.user, password);
        m_client.setTimeout(timeout);
    }

    void start()
    {
        const auto loaded = m_mapping.load(m_collection.url(), m_permissions.relink);
        if (!loaded)
            return fail(loaded.status());
        if (!loaded.value().isEmpty()) {
            m_report.question = SyncReport::Question::Relink;
            m_report.linkedAddressBook = loaded.value();
            return succeed();
        }
        m_changes.setFirstSync(m_mapping.startedEmpty());
        listChanges(m_mapping.syncToken());
    }

    void cancel() { fail(Status::failure(QStringLiteral("同步已取消。"))); }

private:
    // ---- What changed on the server

    void listChanges(const QString &token)
    {
        m_lister.start(token, [this](const Result<Listing> &listing) {
            if (!listing)
                return fail(listing.status());
            m_listing = listing.value();
            planDownloads();
        });
    }

    // Path to ETag of the linked cards the listing names; every link after a full listing.
    Result<QHash<QString, QString>> knownEtags()
    {
        if (m_listing.full)
            return m_mapping.etags();
        QHash<QString, QString> known;
        QStringList named = m_listing.present.keys();
        named += m_listing.gone.values();
        for (const QString &path : std::as_const(named)) {
            const auto entry = m_mapping.find(path);
            if (!entry)
                return entry.status();
            if (entry.value())
                known.insert(path, entry.value()->etag);
        }
        return known;
    }

    void planDownloads()
    {
        const auto known = knownEtags();
        if (!known)
            return fail(known.status());
        const QHash<QString, QString> &mapped = known.value();
        QSet<QString> removed = m_listing.gone;
        // Only a complete listing of every card tells that a card it lacks was deleted there.
        if (m_listing.full && !m_listing.truncated) {
            for (auto it = mapped.cbegin(); it != mapped.cend(); ++it) {
                if (!it.value().isEmpty() && !m_listing.present.contains(it.key()))
                    removed.insert(it.key());
            }
        }
        m_removed = removed.values();
        for (auto it = m_listing.present.cbegin(); it != m_listing.present.cend(); ++it) {
            const auto entry = mapped.constFind(it.key());
            if (entry == mapped.cend() || *entry != it.value() || it.value().isEmpty())
                m_toFetch << it.key();
        }
        int here = 0;
        for (const QString &path : std::as_const(m_removed))
            here += mapped.contains(path) ? 1 : 0;
        if (!deletionsAllowed(here))
            return succeed();
        m_total += int(m_toFetch.size() + m_removed.size());
        fetchNext();
    }

    // False, with the question in the report, when this sync would delete too much: here of the
    // linked cards the server deleted.
    bool deletionsAllowed(int here)
    {
        if (m_permissions.massDeletion)
            return true;
        const auto changes = m_mapping.changesSinceChecked();
        const auto gone = m_afterUploads || !changes
            ? Result<QList<SyncMapping::Entry>>(QList<SyncMapping::Entry>())
            : m_mapping.linkedContactsGone(changes.value());
        const auto contacts = m_mapping.contactCount();
        const auto cards = m_mapping.linkCount();
        for (const Status &status :
             { changes.status(), gone.status(), contacts.status(), cards.status() }) {
            if (!status) {
                fail(status);
                return false;
            }
        }
        const int goneThere = int(gone.value().size());
        if (!DeletionGuard::asksFirst(here, contacts.value())
            && !DeletionGuard::asksFirst(goneThere, cards.value()))
            return true;
        m_report.question = SyncReport::Question::MassDeletion;
        m_report.wouldDeleteHere = here;
        m_report.contactsHere = contacts.value();
        m_report.wouldDeleteThere = goneThere;
        m_report.cardsThere = cards.value();
        return false;
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
                 if (Status applied = applyInOneTransaction(cards.value().resources); !applied)
                     return fail(applied);
                 if (!m_stopped)
                     fetchNext();
             });
    }

    // A first download of thousands of cards is a few commits, not thousands; an interruption
    // loses this answer's cards with their links, never one without the other.
    Status applyInOneTransaction(const QList<DavResource> &cards)
    {
        Transaction batch(m_database);
        if (Status begun = batch.begin(); !begun)
            return begun;
        for (const DavResource &card : cards) {
            if (!applyFetched(card))
                return Status::success();
        }
        return batch.commit();
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
        if (card.status == 404)
            applied = m_changes.applyRemoval(path.value());
        else if (isSuccess(card.status))
            applied = m_changes.applyCard(path.value(), card.etag, card.addressData);
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

    void applyRemovals()
    {
        const QStringList removed = m_removed;
        m_removed.clear();
        for (const QString &path : removed) {
            if (!step(m_changes.applyRemoval(path)))
                return;
        }
        if (Status grouped = m_changes.applyGroups(); !grouped)
            return fail(grouped);
        if (!m_listing.token.isEmpty()) {
            if (Status saved = m_local.storeToken(m_listing.token); !saved)
                return fail(saved);
        }
        if (m_afterUploads)
            return succeed();
        planUploads();
    }

    // ---- What changed here

    void planUploads()
    {
        auto uploads = m_plan.make(m_report.compared);
        if (!uploads)
            return fail(uploads.status());
        m_uploads = uploads.takeValue();
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
        if (!m_stopped && m_inFlight == 0) {
            if (Status saved = m_plan.markChecked(); !saved)
                return fail(saved);
            listOwnChanges();
        }
    }

    // The token kept must cover this sync's own uploads, else a server that tells only the net
    // changes since a token never reports a card made here and deleted there.
    void listOwnChanges()
    {
        if (m_uploads.isEmpty() || m_listing.token.isEmpty())
            return succeed();
        m_afterUploads = true;
        listChanges(m_listing.token);
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
        DavClient::Headers headers { { "Content-Type", "text/vcard; charset=utf-8" } };
        if (upload.entry.etag.isEmpty())
            headers.append(qMakePair(QByteArray("If-None-Match"), QByteArray("*")));
        else if (isStrong(upload.entry.etag))
            headers.append(qMakePair(QByteArray("If-Match"), upload.entry.etag.toUtf8()));
        // Never over a card we have not seen: fetched and compared first.
        else if (!upload.compared)
            return refetch(upload);
        const QByteArray card = m_changes.cardOf(upload.contact, upload.entry);
        sendUpload("PUT", upload.entry.href, card, headers,
                   [this, upload, card](const DavReply &reply) {
                       if (reply.status == 412)
                           return refetch(upload);
                       if (!isSuccess(reply.status))
                           return uploadFailed(DavClient::unexpected(reply));
                       SyncMapping::Entry entry = upload.entry;
                       entry.contactId = upload.contact.id;
                       entry.etag = etagOf(reply);
                       entry.card = card;
                       ++m_report.uploaded;
                       step(m_local.storeMapping(entry));
                       uploadDone();
                   });
    }

    // The server's card changed since we last saw it, or its ETag cannot tell: merge it in, then
    // try again.
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
            if (!remote) {
                m_changes.skipUnreadable(upload.entry.href);
                return uploadDone();
            }
            const QString etag = etagOf(reply);
            upload.compared = !isStrong(etag);
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
        const ContactRecord merged = ServerChanges::mergeInto(upload.contact, upload.entry, remote);
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
        DavClient::Headers headers;
        if (isStrong(upload.entry.etag))
            headers.append(qMakePair(QByteArray("If-Match"), upload.entry.etag.toUtf8()));
        else if (!upload.compared)
            return refetch(upload);
        sendUpload("DELETE", upload.entry.href, {}, headers, [this, upload](const DavReply &reply) {
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
    Database &m_database;
    DavClient m_client;
    SyncReport m_report;
    SyncMapping m_mapping;
    LocalCards m_local;
    ServerChanges m_changes;
    Collection m_collection;
    UploadPlan m_plan;
    ChangeListing m_lister;
    SyncPermissions m_permissions;
    Listing m_listing;
    QStringList m_toFetch;
    QStringList m_removed;
    QList<Upload> m_uploads;
    qsizetype m_nextUpload = 0;
    int m_inFlight = 0;
    Status m_failure = Status::success();
    int m_done = 0;
    int m_total = 0;
    // Listing again after this sync's own uploads.
    bool m_afterUploads = false;
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

void CardDavSync::start(const SyncAccount &account, const QString &password,
                        SyncPermissions permissions)
{
    if (!account.isComplete())
        return finish(Status::failure(QStringLiteral("请先在“同步设置”中选择服务器和通讯录。")));
    if (Status address = checkServerAddress(account.server); !address)
        return finish(address);
    if (Status book = checkGivenAddress(account.addressBook, account.server); !book)
        return finish(book);
    m_run = std::make_unique<Run>(*this, m_database, account, password, permissions, m_timeout);
    QTimer::singleShot(0, this, [this] {
        if (m_run)
            m_run->start();
    });
}

Result<SyncReport> CardDavSync::run(const SyncAccount &account, const QString &password,
                                    SyncPermissions permissions)
{
    Result<SyncReport> outcome = Status::failure(QString());
    QEventLoop loop;
    connect(this, &CardDavSync::finished, &loop,
            [&outcome, &loop](const Result<SyncReport> &report) {
                outcome = report;
                loop.quit();
            });
    start(account, password, permissions);
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
