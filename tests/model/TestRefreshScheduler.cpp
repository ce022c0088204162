// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/SignalWait.h"
#include "model/RefreshScheduler.h"
#include "platform/WakeMonitor.h"

#include <QCoroTask>
#include <QPointer>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>
#include <memory>

namespace {

// Holds every refresh run until the test opens it.
class Gate : public QObject
{
    Q_OBJECT
public:
    // Lets the waiting run go and returns once it has ended: a signal resumes its awaiter
    // through the event loop.
    void open()
    {
        Q_EMIT opened();
        QCoreApplication::processEvents();
    }
Q_SIGNALS:
    void opened();
};

// What the scheduler's jobs saw, in order: "starting", "run", "finished(<error>|ok, again|last)";
// and what the run waiting at the gate ends with.
struct Record
{
    QStringList events;
    std::optional<QString> nextResult;
};

QCoro::Task<std::optional<QString>> passGate(QPointer<Gate> gate, const Record *record)
{
    if (gate)
        co_await nextSignal(gate.data(), &Gate::opened);
    co_return record->nextResult;
}

RefreshScheduler::Jobs recordingJobs(Record &record, Gate &gate, RefreshScheduler *&scheduler)
{
    RefreshScheduler::Jobs jobs;
    jobs.starting = [&record, &scheduler] {
        // Called before the scheduler says it is refreshing.
        record.events.append(scheduler->isRefreshing() ? QStringLiteral("starting late") : QStringLiteral("starting"));
    };
    jobs.run = [&record, &gate] {
        record.events.append(QStringLiteral("run"));
        return passGate(&gate, &record);
    };
    jobs.finished = [&record, &scheduler](const std::optional<QString> &error, bool followUp) {
        QString event = QStringLiteral("finished(") + error.value_or(QStringLiteral("ok")) +
                        (followUp ? QStringLiteral(", again)") : QStringLiteral(", last)"));
        if (scheduler->isRefreshing())
            event += QStringLiteral(" while refreshing");
        record.events.append(event);
    };
    return jobs;
}

} // namespace

// The schedule without the model: runs are played by jobs that wait until the test lets them
// finish.
class TestRefreshScheduler : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void oneRunAtATimeWithOneFollowUp()
    {
        Record record;
        Gate gate;
        RefreshScheduler *scheduler = nullptr;
        RefreshScheduler schedule(recordingJobs(record, gate, scheduler));
        scheduler = &schedule;
        QSignalSpy requested(&schedule, &RefreshScheduler::refreshRequested);

        schedule.requestRefresh();
        QVERIFY(schedule.isRefreshing());
        QVERIFY(!schedule.refreshAgain());
        schedule.requestRefresh();
        schedule.requestRefresh();
        schedule.requestRefresh();
        QVERIFY(schedule.refreshAgain());
        QCOMPARE(requested.count(), 4);
        QCOMPARE(record.events, QStringList({"starting", "run"}));

        // The first run fails; the follow-up starts at once and is told nothing of it.
        record.nextResult = QStringLiteral("GitHub 502: Bad gateway");
        gate.open();
        QCOMPARE(record.events,
                 QStringList({"starting", "run", "finished(GitHub 502: Bad gateway, again)", "starting", "run"}));
        QVERIFY(schedule.isRefreshing());
        QVERIFY(!schedule.refreshAgain());
        QCOMPARE(requested.count(), 5);

        record.nextResult.reset();
        gate.open();
        QCOMPARE(record.events.last(), QStringLiteral("finished(ok, last)"));
        QVERIFY(!schedule.isRefreshing());
        QCOMPARE(record.events.count(QStringLiteral("run")), 2);

        // Idle again: the next request starts a run of its own.
        schedule.requestRefresh();
        QVERIFY(schedule.isRefreshing());
        gate.open();
        QCOMPARE(record.events.count(QStringLiteral("run")), 3);
    }

    void refreshingIsAnnouncedOncePerRun()
    {
        Record record;
        Gate gate;
        RefreshScheduler *scheduler = nullptr;
        RefreshScheduler schedule(recordingJobs(record, gate, scheduler));
        scheduler = &schedule;
        QSignalSpy refreshing(&schedule, &RefreshScheduler::isRefreshingChanged);
        QSignalSpy again(&schedule, &RefreshScheduler::refreshAgainChanged);

        schedule.requestRefresh();
        schedule.requestRefresh();
        schedule.requestRefresh();
        QCOMPARE(refreshing.count(), 1);
        QCOMPARE(again.count(), 1);
        gate.open();
        // Off and on again for the follow-up, then off.
        QCOMPARE(refreshing.count(), 3);
        QCOMPARE(again.count(), 2);
        gate.open();
        QCOMPARE(refreshing.count(), 4);
    }

    void scheduleGoneWhileRunning()
    {
        Record record;
        Gate gate;
        RefreshScheduler *scheduler = nullptr;
        auto schedule = std::make_unique<RefreshScheduler>(recordingJobs(record, gate, scheduler));
        scheduler = schedule.get();
        schedule->requestRefresh();
        schedule.reset();
        gate.open();
        // The run ended after its scheduler went: nothing more is asked of the jobs.
        QCOMPARE(record.events, QStringList({"starting", "run"}));
    }

    void timerAndWakesAskForRefreshes()
    {
        Record record;
        Gate gate;
        RefreshScheduler *scheduler = nullptr;
        RefreshScheduler schedule(recordingJobs(record, gate, scheduler));
        scheduler = &schedule;
        QSignalSpy requested(&schedule, &RefreshScheduler::refreshRequested);
        QVERIFY(!schedule.timer());
        QVERIFY(!schedule.wakeMonitor());

        schedule.start();
        QCOMPARE(requested.count(), 1);
        QVERIFY(schedule.isRefreshing());
        const QPointer<QTimer> first = schedule.timer();
        QVERIFY(first);
        QVERIFY(first->isActive());
        QVERIFY(!first->isSingleShot());
        QCOMPARE(first->interval(), 1800 * 1000);
        gate.open();

        // A tick asks for a refresh like any other request.
        QVERIFY(QMetaObject::invokeMethod(first.data(), "timeout", Qt::DirectConnection));
        QCOMPARE(requested.count(), 2);
        QVERIFY(schedule.isRefreshing());
        gate.open();

        // Going to sleep asks for nothing; waking does.
        QVERIFY(schedule.wakeMonitor());
        schedule.wakeMonitor()->prepareForSleep(true);
        QCOMPARE(requested.count(), 2);
        schedule.wakeMonitor()->prepareForSleep(false);
        QCOMPARE(requested.count(), 3);
        gate.open();

        // Starting again replaces the timer and keeps the one wake monitor.
        WakeMonitor *monitor = schedule.wakeMonitor();
        schedule.start();
        QVERIFY(!first);
        QVERIFY(schedule.timer()->isActive());
        QCOMPARE(schedule.wakeMonitor(), monitor);
        gate.open();
        schedule.wakeMonitor()->prepareForSleep(false);
        QCOMPARE(requested.count(), 5);
        gate.open();
    }

    void theNewestDrawHoldsTheTurn()
    {
        RefreshScheduler schedule({});
        QSignalSpy drawing(&schedule, &RefreshScheduler::isDrawingChanged);
        QVERIFY(!schedule.isDrawing());

        auto redraw = std::make_unique<RefreshScheduler::DrawTurn>(schedule);
        QVERIFY(redraw->isCurrent());
        QVERIFY(schedule.isDrawing());
        {
            const RefreshScheduler::DrawTurn refresh(schedule);
            QVERIFY(refresh.isCurrent());
            QVERIFY(!redraw->isCurrent());
            // A superseded draw still counts until it has stopped.
            redraw.reset();
            QVERIFY(schedule.isDrawing());
            QVERIFY(refresh.isCurrent());
        }
        QVERIFY(!schedule.isDrawing());
        QCOMPARE(drawing.count(), 2);

        // Turns do not come back: a later draw supersedes the old one for good.
        const RefreshScheduler::DrawTurn first(schedule);
        {
            const RefreshScheduler::DrawTurn second(schedule);
        }
        QVERIFY(!first.isCurrent());
    }

    void turnOutlivingItsSchedule()
    {
        auto schedule = std::make_unique<RefreshScheduler>(RefreshScheduler::Jobs{});
        const RefreshScheduler::DrawTurn turn(*schedule);
        schedule.reset();
        QVERIFY(!turn.isCurrent());
    }
};

QTEST_GUILESS_MAIN(TestRefreshScheduler)
#include "TestRefreshScheduler.moc"
