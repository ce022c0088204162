// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoroTask>
#include <QDateTime>
#include <chrono>

// The wall clock and the sleeps of GitHub sign-in. Tests replace it to run the device flow's
// polling and token expiry without waiting.
class GitHubAuthClock
{
public:
    virtual ~GitHubAuthClock() = default;

    virtual QDateTime now() const;
    // Sleeps on a monotonic clock, to the millisecond.
    virtual QCoro::Task<> sleep(std::chrono::milliseconds duration);
};
