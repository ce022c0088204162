// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoroTask>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>

class QTimer;
class WakeMonitor;
class WallClock;

// Decides when a refresh runs and which draw may write pictures.
//
// One refresh runs at a time: requests made while one runs collapse into exactly one follow-up,
// started as soon as it ends. Once start() has run, a refresh is also asked for every 30 minutes
// and after every wake from sleep, and an extra one shortly after local midnight, after the
// earliest plan reset shown and after the clock or the time zone was changed (RefreshMoments).
// Extra refreshes come at most one every five minutes, and a moment is served by any refresh
// asked for after it, so a failed one is not retried before the timer's next tick.
//
// Draws (a refresh's own and redraws from the last data document) take turns: a draw that
// begins supersedes any draw still running, which must then stop before it writes another
// picture. So only one draw writes into the screens directory at a time, and it is the newest.
//
// What a refresh does is handed in as Jobs, so the schedule can be run without the model.
// Lives on the GUI thread.
class RefreshScheduler : public QObject
{
    Q_OBJECT
public:
    struct Jobs
    {
        // Runs as a refresh starts, before isRefreshingChanged.
        std::function<void()> starting;
        // The refresh itself; yields its failure's message, none when it worked.
        std::function<QCoro::Task<std::optional<QString>>()> run;
        // Runs once isRefreshing is false again, with the run's failure and whether a follow-up
        // refresh starts right after.
        std::function<void(const std::optional<QString> &error, bool followUp)> finished;
    };

    // Held by a draw for as long as it runs. A draw writes a picture only while its turn is
    // current; the turn ends when the holder goes.
    class DrawTurn
    {
    public:
        explicit DrawTurn(RefreshScheduler &scheduler);
        ~DrawTurn();
        DrawTurn(const DrawTurn &) = delete;
        DrawTurn &operator=(const DrawTurn &) = delete;

        // False once a newer draw has begun (or the scheduler is gone).
        bool isCurrent() const;

    private:
        QPointer<RefreshScheduler> m_scheduler;
        quint64 m_number;
    };

    static constexpr std::chrono::seconds interval{1800};
    // How often the clock is looked at for the moments and for changes of clock or zone.
    static constexpr std::chrono::seconds clockWatchInterval{30};
    // The least time between two extra refreshes.
    static constexpr std::chrono::minutes extraSpacing{5};

    // Without a clock, the system's.
    explicit RefreshScheduler(Jobs jobs, QObject *parent = nullptr, std::shared_ptr<const WallClock> clock = {});
    ~RefreshScheduler() override;

    // Arms the 30-minute timer (replacing one armed before), listens for wakes from sleep,
    // starts watching the clock and asks for a refresh now.
    void start();
    // Starts a refresh, or marks the follow-up when one is running.
    void requestRefresh();

    bool isRefreshing() const { return m_refreshing; }
    bool refreshAgain() const { return m_refreshAgain; }
    // Whether any draw is still running, superseded ones included.
    bool isDrawing() const { return m_runningDraws > 0; }

    // The refresh timer, the wake monitor and the clock watch; null before start().
    QTimer *timer() const { return m_timer; }
    WakeMonitor *wakeMonitor() const { return m_wakeMonitor; }
    QTimer *clockWatch() const { return m_clockWatch; }

    // The reset times of the plan windows the pages show, from the last good data document.
    void setPlanResets(QList<QDateTime> resets);
    // When the next extra refresh falls due, unless the clock is changed first.
    QDateTime nextMoment() const;
    // Looks at the clock (every clockWatchInterval once started): asks for an extra refresh when
    // a moment has come or the clock or time zone was changed since the last look, as soon as
    // the last extra refresh is extraSpacing ago.
    void checkClock();

Q_SIGNALS:
    // Every call of requestRefresh(), whether it starts a refresh or marks a follow-up.
    void refreshRequested();
    void isRefreshingChanged();
    void refreshAgainChanged();
    void isDrawingChanged();

private:
    QCoro::Task<> run();
    void setRefreshing(bool refreshing);
    void setRefreshAgain(bool again);
    quint64 beginDraw();
    void endDraw();
    // Whether the clock or the zone differs from the last look, remembering this look.
    bool clockWasChanged();

    Jobs m_jobs;
    bool m_refreshing = false;
    bool m_refreshAgain = false;
    quint64 m_currentDraw = 0;
    int m_runningDraws = 0;
    QTimer *m_timer = nullptr;
    WakeMonitor *m_wakeMonitor = nullptr;

    std::shared_ptr<const WallClock> m_clock;
    QTimer *m_clockWatch = nullptr;
    QList<QDateTime> m_planResets;
    // When the last refresh was asked for: every moment before it is served.
    QDateTime m_servedSince;
    bool m_clockChanged = false;
    std::optional<qint64> m_lastExtraMs;
    // The wall clock less the boot-time counter, and the zone with its offset, at the last look.
    std::optional<qint64> m_clockOffsetMs;
    QString m_zoneKey;
};
