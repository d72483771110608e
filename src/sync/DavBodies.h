#pragma once

#include <QByteArray>
#include <QStringList>

// The XML bodies of the WebDAV and CardDAV requests a sync sends.
namespace DavBodies {

// PROPFIND for the signed-in user's principal.
QByteArray principal();
// PROPFIND for the principal's address book home.
QByteArray addressBookHome();
// PROPFIND Depth 1 listing the collections of a home: their types and names.
QByteArray collections();
// PROPFIND Depth 1 listing the cards of an address book with their ETags.
QByteArray etags();
// RFC 6578 REPORT: what changed since the token (everything, with an empty token).
QByteArray syncCollection(const QString &token);
// RFC 6352 REPORT fetching the cards at the given paths.
QByteArray multiget(const QStringList &paths);

} // namespace DavBodies
