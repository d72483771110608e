#pragma once

#include <QDateTime>

// Where the program reads the current time; tests install a fixed clock.
class Clock
{
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const;

    static const Clock &current();
    // Installs a replacement (not owned); nullptr restores the system clock.
    static void install(const Clock *clock);
};
