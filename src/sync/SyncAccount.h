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

// Plain http only for a loopback host; otherwise https. A failure carries the message to show.
Status checkServerAddress(const QUrl &address);
