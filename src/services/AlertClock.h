// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <chrono>

// The monotonic clock and the one alarm by which plan alerts space their readings of Claude
// Code's report. Tests replace it to run the interval without waiting for it.
class AlertClock : public QObject
{
    Q_OBJECT

public:
    explicit AlertClock(QObject *parent = nullptr);

    // Time since the clock was made; never set, never goes back.
    virtual std::chrono::milliseconds now() const;
    // Rings once, `after` from now, in place of any alarm already set.
    virtual void setAlarm(std::chrono::milliseconds after);
    virtual void clearAlarm();
    virtual bool isAlarmSet() const;

Q_SIGNALS:
    void rang();

private:
    QElapsedTimer m_started;
    QTimer m_alarm;
};
