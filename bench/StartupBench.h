#pragma once

#include <QString>

namespace StartupBench {

// From asking for the login to the dialog shown, and from an accepted password to the main window
// shown with its children, on the given data file.
void run(const QString &dataFile);

} // namespace StartupBench
