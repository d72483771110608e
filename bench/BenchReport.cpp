#include "BenchReport.h"

#include <cstdio>
#include <sys/resource.h>

namespace BenchReport {

void figure(const QString &name, double value)
{
    std::printf("%s: %.1f\n", qPrintable(name), value);
    std::fflush(stdout);
}

void milliseconds(const QString &name, const QElapsedTimer &timer)
{
    figure(name, double(timer.nsecsElapsed()) / 1e6);
}

double peakMemoryMb()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

} // namespace BenchReport
