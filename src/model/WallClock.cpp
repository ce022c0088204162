// SPDX-License-Identifier: GPL-3.0-or-later
#include "WallClock.h"

#include <ctime>

QDateTime WallClock::now() const
{
    return QDateTime::currentDateTimeUtc();
}

QTimeZone WallClock::zone() const
{
    // Asked afresh each time: Qt reads the zone's name again when /etc/localtime changes.
    return QTimeZone::systemTimeZone();
}

qint64 WallClock::sinceBootMs() const
{
    // The boot-time clock runs on while the machine sleeps, so a suspend is not taken for a
    // change of the clock.
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}
