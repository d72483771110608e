#pragma once

#include <QStringList>

class QIODevice;

// The command-line program zorvane-cards: imports card files into a data file and exports a
// data file's contacts, through the same code as the main window's commands.
namespace CardsTool {

enum ExitCode { Done = 0, Refused = 1, UsageError = 2 };

// arguments without the program name; cards and messages go to out, problems to err.
int run(const QStringList &arguments, QIODevice &out, QIODevice &err);

} // namespace CardsTool
