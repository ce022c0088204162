// SPDX-License-Identifier: GPL-3.0-or-later
// Waiting on signals that fire in bursts, time out, or whose sender goes away. Several cases only
// show their fault as a use of freed memory, which the sanitizer build reports.

#include "platform/SignalWait.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QPointer>
#include <QTest>
#include <chrono>

using namespace std::chrono_literals;

class Emitter : public QObject
{
    Q_OBJECT
Q_SIGNALS:
    void ping();
    void number(int value);
};

namespace {

// What a waiting coroutine saw, in order.
struct Seen
{
    QList<bool> pings;
    QList<std::optional<int>> numbers;
    bool done = false;
};

QCoro::Task<> waitForPings(QPointer<Emitter> emitter, Seen &seen, int count, std::chrono::milliseconds timeout)
{
    for (int i = 0; i < count; ++i)
        seen.pings.append(co_await nextSignal(emitter.data(), &Emitter::ping, timeout));
    seen.done = true;
}

QCoro::Task<> waitForNumber(Emitter *emitter, Seen &seen, std::optional<std::chrono::milliseconds> timeout)
{
    seen.numbers.append(co_await nextSignal(emitter, &Emitter::number, timeout));
    seen.done = true;
}

} // namespace

class TestSignalWait : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void burstCountsOnceAndLaterWaitsSeeOnlyLaterSignals()
    {
        // Two emissions before the event loop runs: the first wait takes one, the other is not
        // kept for the next wait, which runs into its time-out.
        Emitter emitter;
        Seen seen;
        QCoro::Task<> task = waitForPings(&emitter, seen, 2, 300ms);
        Q_EMIT emitter.ping();
        Q_EMIT emitter.ping();
        QCoro::waitFor(std::move(task));
        QCOMPARE(seen.pings, (QList<bool>{true, false}));
        // Whatever the burst left queued is delivered to nobody.
        Q_EMIT emitter.ping();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(seen.pings.size(), 2);
    }

    void signalAfterTheTimeOutReachesNobody()
    {
        Emitter emitter;
        Seen seen;
        QCoro::waitFor(waitForPings(&emitter, seen, 1, 10ms));
        QCOMPARE(seen.pings, QList<bool>{false});
        Q_EMIT emitter.ping();
        QCoreApplication::sendPostedEvents();
        QCOMPARE(seen.pings, QList<bool>{false});
    }

    void givesTheFirstArgument()
    {
        Emitter emitter;
        Seen seen;
        QCoro::Task<> task = waitForNumber(&emitter, seen, std::nullopt);
        Q_EMIT emitter.number(42);
        Q_EMIT emitter.number(7);
        QCoro::waitFor(std::move(task));
        QCOMPARE(seen.numbers, QList<std::optional<int>>{42});

        Seen late;
        QCoro::waitFor(waitForNumber(&emitter, late, 10ms));
        QCOMPARE(late.numbers, QList<std::optional<int>>{std::nullopt});
    }

    void signalBetweenTheCallAndTheAwaitCounts()
    {
        Emitter emitter;
        bool came = false;
        auto listenThenAwait = [](Emitter *sender, bool &seen) -> QCoro::Task<> {
            auto wait = nextSignal(sender, &Emitter::ping, 60s);
            Q_EMIT sender->ping();
            seen = co_await std::move(wait);
        };
        QCoro::waitFor(listenThenAwait(&emitter, came));
        QVERIFY(came);
    }

    void senderDestroyedWhileWaitingEndsTheWait()
    {
        auto *emitter = new Emitter;
        Seen seen;
        QCoro::Task<> task = waitForPings(emitter, seen, 1, 60s);
        QTimer::singleShot(10ms, emitter, &QObject::deleteLater);
        QCoro::waitFor(std::move(task));
        QCOMPARE(seen.pings, QList<bool>{false});
    }

    void senderGoneBeforeTheWaitDoesNotSuspend()
    {
        QPointer<Emitter> emitter = new Emitter;
        delete emitter.data();
        Seen seen;
        QCoro::Task<> task = waitForPings(emitter, seen, 1, 60s);
        QVERIFY(seen.done);
        QCOMPARE(seen.pings, QList<bool>{false});
        QCoro::waitFor(std::move(task));
    }

    void resumedCoroutineMayDeleteTheSender()
    {
        auto *emitter = new Emitter;
        bool after = false;
        auto waitThenDelete = [](Emitter *sender, bool &reached) -> QCoro::Task<> {
            co_await nextSignal(sender, &Emitter::ping);
            delete sender;
            reached = true;
        };
        QCoro::Task<> task = waitThenDelete(emitter, after);
        Q_EMIT emitter->ping();
        Q_EMIT emitter->ping();
        QCoro::waitFor(std::move(task));
        QVERIFY(after);
        QCoreApplication::sendPostedEvents();
    }
};

QTEST_GUILESS_MAIN(TestSignalWait)
#include "TestSignalWait.moc"
