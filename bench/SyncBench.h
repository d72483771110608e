#pragma once

#include <QString>

// A first sync of 1,000 contacts to a local Radicale server, then a sync with nothing to do and
// the requests it sent; when large, instead, a first download of 10,000 cards (minutes, most of
// them the server's) and then a sync with nothing to do of 100,000 linked contacts. Skipped, with a
// line saying so, when Radicale is not installed.
namespace SyncBench {

// Works in folder. False when a step failed.
bool run(const QString &folder, bool large);

} // namespace SyncBench
