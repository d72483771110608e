#pragma once

#include "shared/Clock.h"

// A clock that shows the time the test sets.
class FixedClock : public Clock
{
public:
    explicit FixedClock(QDateTime time)
        : time(std::move(time))
    {
        Clock::install(this);
    }
    ~FixedClock() override
    {
        if (&Clock::current() == this)
            Clock::install(nullptr);
    }

    QDateTime now() const override { return time; }

    QDateTime time;
};
