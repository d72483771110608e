#pragma once

#include <QString>
#include <QUrl>

// Where the update check looks and where its download link may lead.
namespace UpdateSite {

// The maker's web server.
QString makerHost();
QUrl makerSite();

// The update information file on the maker's server; the environment variable
// ZORVANE_UPDATE_URL, when set, replaces the whole address (mirrors, tests).
QUrl updateAddress();

// True for an absolute http or https address with a host.
bool isWebAddress(const QUrl &url);

// What "download the newest version" opens: the download address when it is a web address,
// otherwise the maker's site. Text from the network never opens a local file or a program.
QUrl downloadTarget(const QString &downloadAddress);

} // namespace UpdateSite
