#pragma once

#include <QString>

// The program's version; the numbers come from the build (project version).
namespace AppVersion {

constexpr int major = ZORVANE_VERSION_MAJOR;
constexpr int minor = ZORVANE_VERSION_MINOR;
constexpr int revision = ZORVANE_VERSION_REVISION;

inline QString productName()
{
    return QStringLiteral("Zorvane");
}

// Major, minor and revision written one after the other: 2.0.100 gives 20100.
inline qint64 number()
{
    return QString::number(major)
        .append(QString::number(minor))
        .append(QString::number(revision))
        .toLongLong();
}

} // namespace AppVersion
