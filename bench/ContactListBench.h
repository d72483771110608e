#pragma once

#include <QString>

namespace ContactListBench {

// Loading the contact list window until its tree is complete.
void run(const QString &dataFile);

} // namespace ContactListBench
