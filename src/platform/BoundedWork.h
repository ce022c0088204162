// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoroTask>
#include <QCoroThread>
#include <QThread>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

// Runs a self-contained piece of work on a thread of its own and waits for it a bounded time
// without blocking the caller's thread. Work that overruns is not stopped (it cannot be, safely):
// it finishes on its own, its result is dropped and its thread deletes itself.
namespace BoundedWork {

template<typename Result>
QCoro::Task<std::optional<Result>> run(std::function<Result()> work, std::chrono::milliseconds bound)
{
    auto result = std::make_shared<std::optional<Result>>();
    QThread *worker = QThread::create([work = std::move(work), result] { *result = work(); });
    worker->start();
    const bool finished = co_await qCoro(worker).waitForFinished(bound);
    if (finished) {
        delete worker;
        co_return *result;
    }
    // It may finish between the wait and here; deleteLater() twice is harmless.
    QObject::connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    if (worker->isFinished())
        worker->deleteLater();
    co_return std::nullopt;
}

} // namespace BoundedWork
