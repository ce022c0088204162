// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/BoundedWork.h"

#include <QCoroTask>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTest>
#include <atomic>

using namespace std::chrono_literals;

// Work waits at the gate until the test opens it, so a worker "hangs" exactly as long as wanted.
struct Gate
{
    QSemaphore open;
    std::atomic<int> started = 0;
    std::atomic<int> running = 0;
    std::atomic<bool> overlapped = false;

    static std::function<int()> work(const std::shared_ptr<Gate> &gate, int value)
    {
        return [gate, value] {
            ++gate->started;
            if (++gate->running > 1)
                gate->overlapped = true;
            gate->open.acquire();
            --gate->running;
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
        const auto gate = std::make_shared<Gate>();
        if (endsInTime)
            gate->open.release(3);
        QSignalSpy changed(&lane, &BoundedWork::changed);
        QCOMPARE(QCoro::waitFor(lane.run<int>(Gate::work(gate, 1), endsInTime ? 60s : 0ms)), first);
        QCOMPARE(QCoro::waitFor(lane.run<int>(Gate::work(gate, 2), 60s)), second);

        if (!endsInTime) {
            changed.clear();
            gate->open.release(2);
            QVERIFY(changed.wait());
        }
        QCOMPARE(QCoro::waitFor(lane.run<int>(Gate::work(gate, 3), 60s)), std::optional<int>(3));
        // Workers run one at a time, so every worker started has run by now.
        QCOMPARE(gate->started.load(), workersStarted);
        QVERIFY(!gate->overlapped);
    }

    // Requests that overlap within their bounds take turns and each gets its own result.
    void overlappingRequestsTakeTurns()
    {
        BoundedWork lane;
        const auto gate = std::make_shared<Gate>();
        QCoro::Task<std::optional<int>> first = lane.run<int>(Gate::work(gate, 1), 60s);
        QCoro::Task<std::optional<int>> second = lane.run<int>(Gate::work(gate, 2), 60s);
        gate->open.release(2);
        QCOMPARE(QCoro::waitFor(std::move(second)), std::optional<int>(2));
        QCOMPARE(QCoro::waitFor(std::move(first)), std::optional<int>(1));
        QCOMPARE(gate->started.load(), 2);
        QVERIFY(!gate->overlapped);
    }
};

QTEST_GUILESS_MAIN(TestBoundedWork)
#include "TestBoundedWork.moc"
