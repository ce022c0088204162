// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QObject>
#include <QTimer>
#include <array>
#include <chrono>
#include <coroutine>
#include <memory>
#include <optional>
#include <tuple>
#include <type_traits>

// `co_await nextSignal(sender, &Sender::signal, timeout)` waits for the next emission of a signal,
// the time-out or the end of the sender, whichever comes first, counted from the call. It gives
// `true` (for a signal without arguments) or the signal's first argument when the signal came,
// `false` or nothing otherwise. A wait kept in a variable is awaited as `co_await std::move(wait)`.
//
// Written for signals that may fire several times in a row. QCoro's own signal awaiter resumes
// through a queued connection: a second emission queued before the first one is delivered still
// arrives after the coroutine has moved on and its awaiter is gone, and calls into freed memory.
// Here every delivery first checks a shared state that the awaiter's end marks as over. The
// coroutine is resumed from an event of the application object, so whatever the coroutine goes on
// to delete (the sender, this awaiter and its timer) is not the object whose event is running.
namespace SignalWaitDetail {

template<typename>
struct Signature;

template<typename Result, typename Class, typename... Args>
struct Signature<Result (Class::*)(Args...)>
{
    using Arguments = std::tuple<std::decay_t<Args>...>;
};

template<typename Arguments>
struct Outcome
{
    using Type = std::optional<std::tuple_element_t<0, Arguments>>;
};

template<>
struct Outcome<std::tuple<>>
{
    using Type = bool;
};

} // namespace SignalWaitDetail

template<typename Sender, typename Signal>
class SignalWait
{
public:
    using Result = typename SignalWaitDetail::Outcome<typename SignalWaitDetail::Signature<Signal>::Arguments>::Type;

    // Listens from here on, so a wait made before starting what emits the signal misses nothing.
    SignalWait(Sender *sender, Signal signal, std::optional<std::chrono::milliseconds> timeout)
    {
        if (!sender) {
            m_state->over = true;
            return;
        }
        const std::weak_ptr<State> weak = m_state;
        QObject *context = QCoreApplication::instance();
        m_state->connections[0] = QObject::connect(
            sender, signal, context, [weak](const auto &...arguments) { arrive(weak, arguments...); },
            Qt::QueuedConnection);
        m_state->connections[1] = QObject::connect(
            sender, &QObject::destroyed, context, [weak] { resume(weak, Result{}); }, Qt::QueuedConnection);
        if (timeout) {
            m_state->timer.setSingleShot(true);
            QObject::connect(
                &m_state->timer, &QTimer::timeout, context, [weak] { resume(weak, Result{}); }, Qt::QueuedConnection);
            m_state->timer.start(*timeout);
        }
    }
    // Movable at any time, also while waiting: deliveries find the state, never the awaiter.
    SignalWait(SignalWait &&) noexcept = default;
    SignalWait &operator=(SignalWait &&) = delete;
    SignalWait(const SignalWait &) = delete;
    SignalWait &operator=(const SignalWait &) = delete;

    ~SignalWait()
    {
        if (m_state)
            m_state->end();
    }

    bool await_ready() const noexcept { return m_state->over; }

    void await_suspend(std::coroutine_handle<> waiting) { m_state->waiting = waiting; }

    Result await_resume() { return std::move(m_state->result); }

private:
    struct State
    {
        std::coroutine_handle<> waiting;
        Result result{};
        bool over = false;
        std::array<QMetaObject::Connection, 2> connections;
        QTimer timer;

        void end()
        {
            over = true;
            for (const QMetaObject::Connection &connection : connections)
                QObject::disconnect(connection);
            timer.stop();
        }
    };

    template<typename First, typename... Rest>
    static void arrive(const std::weak_ptr<State> &weak, const First &first, const Rest &...)
    {
        if constexpr (std::is_same_v<Result, bool>)
            resume(weak, true);
        else
            resume(weak, Result(first));
    }

    static void arrive(const std::weak_ptr<State> &weak) { resume(weak, Result(true)); }

    static void resume(const std::weak_ptr<State> &weak, Result result)
    {
        // Held here, the state outlives the resumed coroutine's end of the awaiter.
        const std::shared_ptr<State> state = weak.lock();
        if (!state || state->over)
            return;
        state->end();
        state->result = std::move(result);
        if (state->waiting)
            state->waiting.resume();
    }

    std::shared_ptr<State> m_state = std::make_shared<State>();
};

template<typename Sender, typename Signal>
SignalWait<Sender, Signal> nextSignal(Sender *sender, Signal signal,
                                      std::optional<std::chrono::milliseconds> timeout = std::nullopt)
{
    return SignalWait<Sender, Signal>(sender, signal, timeout);
}
