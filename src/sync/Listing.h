#pragma once

#include "shared/Status.h"

#include <QHash>
#include <QSet>
#include <QString>

class Collection;
struct Multistatus;

// What the server says about the cards of an address book, gathered over the pages of one
// answer: a server that lists only part (507) is asked again from the token it gave.
struct Listing
{
    // Path to ETag (empty when the server could not give it).
    QHash<QString, QString> present;
    // Answered 404 by the server itself: deleted there.
    QSet<QString> gone;
    QString token;
    // Asked without a token, so every card there is in present.
    bool full = false;
    // The last page said the server stopped before the end.
    bool truncated = false;

    // A failure for an address outside the collection.
    Status add(const Multistatus &page, const Collection &collection);
};
