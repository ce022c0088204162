// SPDX-License-Identifier: GPL-3.0-or-later
#include "AlertClock.h"

AlertClock::AlertClock(QObject *parent)
    : QObject(parent)
{
    m_started.start();
    m_alarm.setSingleShot(true);
    // A coarse timer may fire a little early, and the interval is a promise.
    m_alarm.setTimerType(Qt::PreciseTimer);
    connect(&m_alarm, &QTimer::timeout, this, &AlertClock::rang);
}

std::chrono::milliseconds AlertClock::now() const
{
    return std::chrono::milliseconds(m_started.elapsed());
}

void AlertClock::setAlarm(std::chrono::milliseconds after)
{
    m_alarm.start(after);
}

void AlertClock::clearAlarm()
{
    m_alarm.stop();
}

bool AlertClock::isAlarmSet() const
{
    return m_alarm.isActive();
}
