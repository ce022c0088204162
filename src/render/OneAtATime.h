// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoro/QCoroTask>
#include <QObject>
#include <QPointer>
#include <optional>

// Lets one call of a coroutine run at a time on an object that can only do one job at once
// (a web page that draws, a pipe that answers in order). A call takes its turn, waiting while
// another call holds it, and holds it until the Turn it got ends, also when the call throws.
// Kept as a member of its owner, so a caller still waiting when the owner goes gets no turn.
class OneAtATime : public QObject
{
    Q_OBJECT

public:
    class Turn
    {
    public:
        explicit Turn(OneAtATime *lock);
        Turn(Turn &&other) noexcept;
        Turn &operator=(Turn &&other) noexcept;
        Turn(const Turn &) = delete;
        Turn &operator=(const Turn &) = delete;
        ~Turn();

    private:
        QPointer<OneAtATime> m_lock;
    };

    // The caller's turn, or nothing when this object ended while the caller waited.
    QCoro::Task<std::optional<Turn>> take();

Q_SIGNALS:
    void released();

private:
    void release();

    bool m_busy = false;
};
