#pragma once

#include "shared/Status.h"

#include <QString>
#include <QUrl>

// Where the data file syncs to: the server the user typed, the user name and the chosen address
// book. The password never lives here (see SecretStore).
struct SyncAccount
{
    // As the user typed it.
    QUrl server;
    QString user;
    // The chosen collection; empty until chosen.
    QUrl addressBook;

    // Server, user and address book all set.
    bool isComplete() const;
    // From the settings section "Settings".
    static SyncAccount load();
    void save() const;
};

// Plain http only for a loopback host; otherwise https; never a user name or password inside
// the address. A failure carries the message to show.
Status checkServerAddress(const QUrl &address);
// The one spelling of an address that names the same thing as its other spellings: scheme and
// host in lower case, no default port, the path's percent-encoding normalised, one trailing
// slash, no query or fragment.
QUrl canonicalAddress(const QUrl &address);
// Same scheme, host and port, compared in their canonical forms.
bool sameOrigin(const QUrl &one, const QUrl &other);
// An address the server named (a principal, a home, an address book, a redirect): the rule of
// checkServerAddress, and on the server the user typed, else the password could follow it.
Status checkGivenAddress(const QUrl &given, const QUrl &typed);
