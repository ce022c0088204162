// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/BoundedWork.h"

#include <QCoroTask>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <atomic>

using namespace std::chrono_literals;

// Work that waits at a gate the test opens, so a worker "hangs" exactly as long as the test wants.
struct GatedWork
{
    std::shared_ptr<QSemaphore> gate = std::make_shared<QSemaphore>();
    std::shared_ptr<std::atomic<int>> started = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<int>> running = std::make_shared<std::atomic<int>>(0);
    std::shared_ptr<std::atomic<int>> mostAtOnce = std::make_shared<std::atomic<int>>(0);

    std::function<int()> work(int value) const
    {
        return [*this, value] {
            ++*started;
            const int now = ++*running;
            *mostAtOnce = std::max(mostAtOnce->load(), now);
            gate->acquire();
            --*running;
            return value;
        };
    }
};

class TestBoundedWork : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A request made after the first one has given up waiting: while that worker still hangs, the
    // second gets nothing and starts no thread; once it has ended, the next request runs again.
    void aHungWorkerHoldsItsKindUntilItEnds_data()
    {
        QTest::addColumn<bool>("endsInTime");
        QTest::addColumn<std::optional<int>>("first");
        QTest::addColumn<std::optional<int>>("second");
        QTest::addColumn<int>("workersStarted");
        QTest::newRow("ends in time") << true << std::optional<int>(1) << std::optional<int>(2) << 3;
        QTest::newRow("hangs") << false << std::optional<int>() << std::optional<int>() << 2;
    }

    void aHungWorkerHoldsItsKindUntilItEnds()
    {
        QFETCH(bool, endsInTime);
        QFETCH(std::optional<int>, first);
        QFETCH(std::optional<int>, second);
        QFETCH(int, workersStarted);
        BoundedWork lane;
        GatedWork gated;
        if (endsInTime)
            gated.gate->release(3);
        QSignalSpy changed(&lane, &BoundedWork::changed);
        QCOMPARE(QCoro::waitFor(lane.run<int>(gated.work(1), endsInTime ? 60s : 0ms)), first);
        QCOMPARE(QCoro::waitFor(lane.run<int>(gated.work(2), 60s)), second);

        if (!endsInTime) {
            changed.clear();
            gated.gate->release(2);
            QVERIFY(changed.wait());
        }
        QCOMPARE(QCoro::waitFor(lane.run<int>(gated.work(3), 60s)), std::optional<int>(3));
        // Workers run one at a time, so every worker started has run by now.
        QCOMPARE(gated.started->load(), workersStarted);
        QCOMPARE(gated.mostAtOnce->load(), 1);
    }

    // Requests that overlap within their bounds take turns and each gets its own result.
    void overlappingRequestsTakeTurns()
    {
        BoundedWork lane;
        GatedWork gated;
        QCoro::Task<std::optional<int>> first = lane.run<int>(gated.work(1), 60s);
        QCoro::Task<std::optional<int>> second = lane.run<int>(gated.work(2), 60s);
        gated.gate->release(2);
        QCOMPARE(QCoro::waitFor(std::move(second)), std::optional<int>(2));
        QCOMPARE(QCoro::waitFor(std::move(first)), std::optional<int>(1));
        QCOMPARE(gated.started->load(), 2);
        QCOMPARE(gated.mostAtOnce->load(), 1);
    }
};

QTEST_GUILESS_MAIN(TestBoundedWork)
#include "TestBoundedWork.moc"
