#pragma once

#include "shared/Status.h"

#include <QByteArray>
#include <QList>
#include <QString>

// What a WebDAV multistatus body says about each resource, as far as a CardDAV client asks.
struct DavResource
{
    // As the server wrote it, percent-encoding and all.
    QString href;
    // The response's own status: 404 there alone means the resource is gone. A property the
    // server could not give leaves it 200 with that property empty.
    int status = 200;
    QString etag;
    QByteArray addressData;
    QString displayName;
    bool isAddressBook = false;
    QString principal;
    QString addressBookHome;
};

struct Multistatus
{
    QList<DavResource> resources;
    QString syncToken;

    // A failure, with the parser's detail, for a body that is no complete multistatus.
    static Result<Multistatus> parse(const QByteArray &body);
};
