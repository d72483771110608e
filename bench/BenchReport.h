#pragma once

#include <QElapsedTimer>
#include <QString>

// Prints one "name: value" line per figure.
namespace BenchReport {

void figure(const QString &name, double value);
void milliseconds(const QString &name, const QElapsedTimer &timer);
// The process's peak resident memory so far, in MB.
double peakMemoryMb();

} // namespace BenchReport
