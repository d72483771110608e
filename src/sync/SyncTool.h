#pragma once

#include <QStringList>

class QIODevice;

// "zorvane-cards sync": one sync of a data file with its CardDAV address book from the command
// line, remembering a server and address book given as the set-up window does.
namespace SyncTool {

// arguments after "sync"; the password comes from in when asked to; the exit codes are
// CardsTool's.
int run(const QStringList &arguments, QIODevice &in, QIODevice &out, QIODevice &err);

} // namespace SyncTool
