// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/SignalWait.h"

#include <QCoroTask>
#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QThread>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// Runs one kind of self-contained work (reading the calendar service, the usage history, …) on
// a thread of its own and waits for it a bounded time without blocking the caller's thread.
//
// Work that overruns is not stopped (it cannot be, safely): it finishes on its own, its result is
// dropped and its thread deletes itself. So that a service that hangs for good costs one thread
// and not one per request, a kind of work runs one worker at a time: a request made while a
// worker runs within its bound waits its turn within its own bound, and a request made while a
// worker has overrun gets nothing at once, as if it had overrun itself.
class BoundedWork : public QObject
{
    Q_OBJECT

public:
    explicit BoundedWork(QObject *parent = nullptr);

    // The work's result, or none when it (or the worker before it) did not end within `bound`.
    template<typename Result>
    QCoro::Task<std::optional<Result>> run(std::function<Result()> work, std::chrono::milliseconds bound)
    {
        const QPointer<BoundedWork> self(this);
        const QDeadlineTimer deadline(bound);
        while (m_busy) {
            if (m_overran)
                co_return std::nullopt;
            const bool changed = co_await nextSignal(this, &BoundedWork::changed, left(deadline));
            if (!self || !changed)
                co_return std::nullopt;
        }
        auto result = std::make_shared<std::optional<Result>>();
        const quint64 worker = start(QThread::create([work = std::move(work), result] { *result = work(); }));
        // Only this worker runs now, and only its end changes the lane before the wait is over.
        const bool ended = co_await nextSignal(this, &BoundedWork::changed, left(deadline));
        if (!self)
            co_return std::nullopt;
        // A worker that ended just as the time ran out still counts.
        if (!ended && isRunning(worker)) {
            markOverran();
            co_return std::nullopt;
        }
        co_return *result;
    }

Q_SIGNALS:
    // The worker ended or overran its bound.
    void changed();

private:
    static std::chrono::milliseconds left(const QDeadlineTimer &deadline);
    // Starts the worker and returns its number.
    quint64 start(QThread *worker);
    bool isRunning(quint64 worker) const { return m_busy && m_started == worker; }
    void markOverran();
    void release();

    bool m_busy = false;
    bool m_overran = false;
    quint64 m_started = 0; // the number of the last worker started
};
