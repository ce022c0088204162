// SPDX-License-Identifier: GPL-3.0-or-later
#include "OneAtATime.h"

#include "platform/SignalWait.h"

#include <utility>

OneAtATime::Turn::Turn(OneAtATime *lock)
    : m_lock(lock)
{}

OneAtATime::Turn::Turn(Turn &&other) noexcept
    : m_lock(std::exchange(other.m_lock, nullptr))
{}

OneAtATime::Turn &OneAtATime::Turn::operator=(Turn &&other) noexcept
{
    if (this != &other) {
        if (m_lock)
            m_lock->release();
        m_lock = std::exchange(other.m_lock, nullptr);
    }
    return *this;
}

OneAtATime::Turn::~Turn()
{
    if (m_lock)
        m_lock->release();
}

QCoro::Task<std::optional<OneAtATime::Turn>> OneAtATime::take()
{
    const QPointer<OneAtATime> self(this);
    while (m_busy) {
        co_await nextSignal(this, &OneAtATime::released);
        if (!self)
            co_return std::nullopt;
    }
    m_busy = true;
    co_return Turn(this);
}

void OneAtATime::release()
{
    m_busy = false;
    Q_EMIT released();
}
