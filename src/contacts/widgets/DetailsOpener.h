#pragma once

#include <QString>

class frmMain;

// Opens the editor of one contact, or brings its editor forward when one is open already. The
// placeholder and the template rows are created on first use.
namespace DetailsOpener {

void OpenDetails(frmMain &main, const QString &displayName, const QString &key);

} // namespace DetailsOpener
