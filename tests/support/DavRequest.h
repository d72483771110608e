#pragma once

#include <QByteArray>
#include <QUrl>

// One WebDAV request to a test server as its user, as a phone or a second program would send it.
namespace DavRequest {

// The status; the answer's body into body when given. The login is "user:password".
int send(const QByteArray &method, const QUrl &url, const QByteArray &content = {},
         QByteArray *body = nullptr, const QByteArray &login = "alice:secret");

} // namespace DavRequest
