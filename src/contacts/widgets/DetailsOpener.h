#pragma once

#include <QString>

class ChildWindowHost;

// Opens the editor of one contact, or brings its editor forward when one is open already. The
// placeholder and the template rows are created on first use.
namespace DetailsOpener {

void OpenDetails(ChildWindowHost &host, const QString &displayName, const QString &key);

} // namespace DetailsOpener
