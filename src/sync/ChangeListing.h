#pragma once

#include "Listing.h"
#include "shared/Status.h"

#include <functional>

class Collection;
class DavClient;

// Asks the server what changed in an address book since a sync token: page after page while it
// answers 507, the whole address book when it no longer knows the token, and every card's ETag
// when it offers no sync reports.
class ChangeListing
{
public:
    using Done = std::function<void(const Result<Listing> &)>;

    ChangeListing(DavClient &client, const Collection &collection);

    // done follows once, unless the client's requests are aborted.
    void start(QString token, Done done);

private:
    void askPage(const QString &token);
    void readPage(const QByteArray &body, const QString &askedWith);
    void listAll();

    DavClient &m_client;
    const Collection &m_collection;
    Listing m_listing;
    Done m_done;
};
