// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QString>
#include <chrono>
#include <functional>
#include <optional>

class QTimer;
class WakeMonitor;

// Decides when a refresh runs and which draw may write pictures.
//
// One refresh runs at a time: requests made while one runs collapse into exactly one follow-up,
// started as soon as it ends. Once start() has run, a refresh is also asked for every 30 minutes
// and after every wake from sleep.
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

    explicit RefreshScheduler(Jobs jobs, QObject *parent = nullptr);

    // Arms the 30-minute timer (replacing one armed before), listens for wakes from sleep and
    // asks for a refresh now.
    void start();
    // Starts a refresh, or marks the follow-up when one is running.
    void requestRefresh();

    bool isRefreshing() const { return m_refreshing; }
    bool refreshAgain() const { return m_refreshAgain; }
    // Whether any draw is still running, superseded ones included.
    bool isDrawing() const { return m_runningDraws > 0; }

    // The refresh timer and the wake monitor; null before start().
    QTimer *timer() const { return m_timer; }
    WakeMonitor *wakeMonitor() const { return m_wakeMonitor; }

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

    Jobs m_jobs;
    bool m_refreshing = false;
    bool m_refreshAgain = false;
    quint64 m_currentDraw = 0;
    int m_runningDraws = 0;
    QTimer *m_timer = nullptr;
    WakeMonitor *m_wakeMonitor = nullptr;
};
