#pragma once

#include <QElapsedTimer>
#include <QString>

// Prints one "name: value" line per figure.
namespace BenchReport {

void figure(const QString &name, double value);
void milliseconds(const QString &name, const QElapsedTimer &timer);
// The process's peak resident memory so far, in MB.
double peakMemoryMb();
// Resets the kernel's high-water mark of resident memory (after handing freed heap back), so
// that phasePeakMemoryMb() measures one phase.
void resetPeakMemory();
double phasePeakMemoryMb();
// Processor time of this process: on a shared machine it shows what the wall clock hides.
double cpuMilliseconds();

} // namespace BenchReport
