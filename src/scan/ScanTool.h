#pragma once

#include <QStringList>

class QIODevice;

// zorvane-cards scan: reads card images and prints what they say, or adds them to a data file.
namespace ScanTool {

enum ExitCode { Done = 0, Unreadable = 1, UsageError = 2 };

// arguments after "scan"; results to out, problems to err.
int run(const QStringList &arguments, QIODevice &out, QIODevice &err);

} // namespace ScanTool
