// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QTimeZone>

// The time as the refresh schedule reads it: the wall clock, the system's time zone, and a
// counter of time since boot that counts suspended time too and is never set. Comparing the
// wall clock with that counter tells when someone set the clock. Tests hand in their own.
class WallClock
{
public:
    virtual ~WallClock() = default;

    // The current time, in UTC.
    virtual QDateTime now() const;
    // The system's time zone as it is now (a change made while running is seen).
    virtual QTimeZone zone() const;
    // Milliseconds since boot, suspended time included.
    virtual qint64 sinceBootMs() const;
};
