#include "ChangeListing.h"

#include "Collection.h"
#include "DavBodies.h"
#include "DavClient.h"
#include "Multistatus.h"

namespace {

// Answers to a sync-collection REPORT from a server that does not offer it, or no longer knows
// the token.
bool lacksSyncReport(int status)
{
    return status == 400 || status == 403 || status == 405 || status == 409 || status == 415
        || status == 501;
}

} // namespace

ChangeListing::ChangeListing(DavClient &client, const Collection &collection)
    : m_client(client)
    , m_collection(collection)
{ }

void ChangeListing::start(QString token, Done done)
{
    m_done = std::move(done);
    m_listing = Listing();
    m_listing.full = token.isEmpty();
    askPage(token);
}

void ChangeListing::askPage(const QString &token)
{
    m_client.send("REPORT", m_collection.url(), DavBodies::syncCollection(token),
                  { { "Depth", "0" } }, [this, token](const Result<DavReply> &reply) {
                      if (!reply)
                          return m_done(reply.status());
                      const int status = reply.value().status;
                      if (status == 207)
                          return readPage(reply.value().body, token);
                      // A token the server no longer knows: the whole address book again.
                      if (!token.isEmpty() && lacksSyncReport(status))
                          return start(QString(), m_done);
                      if (token.isEmpty() && lacksSyncReport(status))
                          return listAll();
                      m_done(DavClient::unexpected(reply.value()));
                  });
}

void ChangeListing::readPage(const QByteArray &body, const QString &askedWith)
{
    const auto page = Multistatus::parse(body);
    if (!page)
        return m_done(page.status());
    if (Status added = m_listing.add(page.value(), m_collection); !added)
        return m_done(added);
    if (!m_listing.truncated)
        return m_done(m_listing);
    // Only part of the changes: the rest follows from the token of this part.
    if (m_listing.token.isEmpty() || m_listing.token == askedWith)
        return m_done(
            Status::failure(QStringLiteral("服务器只列出了部分变更，无法继续，同步已停止。")));
    askPage(m_listing.token);
}

void ChangeListing::listAll()
{
    m_client.send("PROPFIND", m_collection.url(), DavBodies::etags(), { { "Depth", "1" } },
                  [this](const Result<DavReply> &reply) {
                      if (!reply)
                          return m_done(reply.status());
                      if (reply.value().status != 207)
                          return m_done(DavClient::unexpected(reply.value()));
                      const auto page = Multistatus::parse(reply.value().body);
                      if (!page)
                          return m_done(page.status());
                      m_listing = Listing();
                      m_listing.full = true;
                      if (Status added = m_listing.add(page.value(), m_collection); !added)
                          return m_done(added);
                      m_done(m_listing);
                  });
}
