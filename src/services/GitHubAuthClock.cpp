// SPDX-License-Identifier: GPL-3.0-or-later
#include "GitHubAuthClock.h"

#include <QCoroTimer>
#include <QTimer>
#include <algorithm>
#include <limits>

QDateTime GitHubAuthClock::now() const
{
    return QDateTime::currentDateTimeUtc();
}

QCoro::Task<> GitHubAuthClock::sleep(std::chrono::milliseconds duration)
{
    QTimer timer;
    timer.setSingleShot(true);
    timer.setTimerType(Qt::PreciseTimer);
    const auto milliseconds =
        std::clamp<std::chrono::milliseconds::rep>(duration.count(), 0, std::numeric_limits<int>::max());
    timer.start(static_cast<int>(milliseconds));
    co_await timer;
}
