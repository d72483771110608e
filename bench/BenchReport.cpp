#include "BenchReport.h"

#include <QFile>
#include <cstdio>
#include <malloc.h>
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

void resetPeakMemory()
{
    malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

double phasePeakMemoryMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return peakMemoryMb();
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return peakMemoryMb();
}

double cpuMilliseconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

} // namespace BenchReport
