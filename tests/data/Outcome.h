// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "data/DataCollector.h"
#include "kit/Problem.h"

#include <QCoro/QCoroTask>
#include <QString>
#include <optional>

// QCoro::waitFor never returns when the awaited task throws (QCoro 0.8 keeps the exception in
// its own helper task), so tests wait for tasks that may fail through this wrapper.
template<typename T>
struct Outcome
{
    std::optional<T> value;
    QString problem;
};

template<typename T>
QCoro::Task<Outcome<T>> capture(QCoro::Task<T> task)
{
    Outcome<T> outcome;
    try {
        outcome.value = co_await task;
    } catch (const Problem &problem) {
        outcome.problem = problem.message();
    }
    co_return outcome;
}

template<typename T>
Outcome<T> outcomeOf(QCoro::Task<T> task)
{
    return QCoro::waitFor(capture(std::move(task)));
}
