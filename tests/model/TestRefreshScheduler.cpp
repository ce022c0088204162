// SPDX-License-Identifier: GPL-3.0-or-later
#include "model/RefreshScheduler.h"
#include "model/WallClock.h"
#include "platform/SignalWait.h"
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

// A clock the test sets: the wall clock and the boot-time counter move together as time
// passes (asleep or awake); setting the clock moves the wall clock alone.
class TestClock : public WallClock
{
public:
    QDateTime now() const override { return utc; }
    QTimeZone zone() const override { return timeZone; }
    qint64 sinceBootMs() const override { return bootMs; }

    QDateTime utc;
    QTimeZone timeZone{"Europe/London"};
    qint64 bootMs = 3600 * 1000;
};

// Time passes (Pass), or the machine sleeps that long and wakes (Wake), or someone sets the
// clock by that much (SetClock) or the zone to Tokyo (SetZone); then the schedule looks at the
// clock, and `requests` refreshes have been asked for since the start.
struct ClockStep
{
    enum Kind
    {
        Pass,
        Wake,
        SetClock,
        SetZone
    } kind;
    qint64 seconds;
    int requests;
};

QCoro::Task<std::optional<QString>> failAtOnce()
{
    co_return QStringLiteral("GitHub did not answer.");
}

} // namespace

Q_DECLARE_METATYPE(QList<ClockStep>)

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

    void extraRefreshesAtTheMomentsThatMatter_data()
    {
        QTest::addColumn<QString>("start");        // local time in London
        QTest::addColumn<QList<qint64>>("resets"); // plan resets, seconds after the start
        QTest::addColumn<QList<ClockStep>>("steps");
        using enum ClockStep::Kind;
        // Every refresh fails: none is tried again before its moment comes round.
        QTest::newRow("shortly after midnight, once") << "2026-03-01T23:59:00" << QList<qint64>()
                                                      << QList<ClockStep>{{Pass, 50, 0}, {Pass, 30, 1}, {Pass, 600, 1}};
        QTest::newRow("midnight slept through")
            << "2026-03-01T23:00:00" << QList<qint64>() << QList<ClockStep>{{Pass, 1800, 0}, {Pass, 7200, 1}};
        QTest::newRow("the wake's refresh serves midnight")
            << "2026-03-01T23:00:00" << QList<qint64>() << QList<ClockStep>{{Wake, 7200, 1}, {Pass, 30, 1}};
        QTest::newRow("shortly after the earliest plan reset")
            << "2026-03-02T09:00:00" << QList<qint64>{-600, 960, 18960}
            << QList<ClockStep>{{Pass, 990, 0}, {Pass, 40, 1}, {Pass, 1800, 1}};
        QTest::newRow("clock set back, then midnight")
            << "2026-03-02T23:00:00" << QList<qint64>()
            << QList<ClockStep>{{SetClock, -6 * 3600, 1}, {Pass, 3600, 1}, {Pass, 6 * 3600 + 60, 2}};
        QTest::newRow("time zone changed")
            << "2026-03-02T12:00:00" << QList<qint64>() << QList<ClockStep>{{Pass, 30, 0}, {SetZone, 0, 1}};
        QTest::newRow("at most one extra refresh in five minutes")
            << "2026-03-02T09:00:00" << QList<qint64>{0}
            << QList<ClockStep>{{Pass, 70, 1}, {SetClock, 3600, 1}, {Pass, 120, 1}, {Pass, 200, 2}};
    }

    void extraRefreshesAtTheMomentsThatMatter()
    {
        QFETCH(QString, start);
        QFETCH(QList<qint64>, resets);
        QFETCH(QList<ClockStep>, steps);
        auto clock = std::make_shared<TestClock>();
        const QDateTime local = QDateTime::fromString(start, Qt::ISODate);
        clock->utc = QDateTime(local.date(), local.time(), clock->timeZone).toUTC();
        RefreshScheduler::Jobs jobs;
        jobs.run = [] { return failAtOnce(); };
        RefreshScheduler schedule(std::move(jobs), nullptr, clock);
        QList<QDateTime> resetTimes;
        for (const qint64 seconds : resets)
            resetTimes.append(clock->utc.addSecs(seconds));
        schedule.setPlanResets(resetTimes);
        schedule.start();
        QSignalSpy requested(&schedule, &RefreshScheduler::refreshRequested);

        for (const ClockStep &step : steps) {
            if (step.kind != ClockStep::SetZone)
                clock->utc = clock->utc.addSecs(step.seconds);
            if (step.kind == ClockStep::Pass || step.kind == ClockStep::Wake)
                clock->bootMs += step.seconds * 1000;
            if (step.kind == ClockStep::SetZone)
                clock->timeZone = QTimeZone("Asia/Tokyo");
            if (step.kind == ClockStep::Wake)
                schedule.wakeMonitor()->prepareForSleep(false);
            schedule.checkClock();
            QCOMPARE(requested.count(), step.requests);
        }
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
