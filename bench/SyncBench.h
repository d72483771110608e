#pragma once

#include <QString>

// A first sync of 1,000 contacts to a local Radicale server, then a sync with nothing to do and
// the requests it sent. Skipped, with a line saying so, when Radicale is not installed.
namespace SyncBench {

// Works in folder. False when a step failed.
bool run(const QString &folder);

} // namespace SyncBench
