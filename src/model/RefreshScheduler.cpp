// SPDX-License-Identifier: GPL-3.0-or-later
#include "RefreshScheduler.h"

#include "RefreshMoments.h"
#include "WallClock.h"
#include "platform/WakeMonitor.h"

#include <QTimer>
#include <cstdlib>
#include <utility>

namespace {

// A wall clock that moved this much against the boot-time counter was set.
constexpr qint64 clockSetMs = 5000;

} // namespace

RefreshScheduler::DrawTurn::DrawTurn(RefreshScheduler &scheduler)
    : m_scheduler(&scheduler)
    , m_number(scheduler.beginDraw())
{}

RefreshScheduler::DrawTurn::~DrawTurn()
{
    if (m_scheduler)
        m_scheduler->endDraw();
}

bool RefreshScheduler::DrawTurn::isCurrent() const
{
    return m_scheduler && m_scheduler->m_currentDraw == m_number;
}

RefreshScheduler::RefreshScheduler(Jobs jobs, QObject *parent, std::shared_ptr<const WallClock> clock)
    : QObject(parent)
    , m_jobs(std::move(jobs))
    , m_clock(clock ? std::move(clock) : std::make_shared<WallClock>())
{}

RefreshScheduler::~RefreshScheduler() = default;

void RefreshScheduler::start()
{
    QTimer *previous = std::exchange(m_timer, new QTimer(this));
    m_timer->setInterval(interval);
    connect(m_timer, &QTimer::timeout, this, &RefreshScheduler::requestRefresh);
    m_timer->start();
    delete previous;

    if (!m_wakeMonitor) {
        m_wakeMonitor = new WakeMonitor(this);
        connect(m_wakeMonitor, &WakeMonitor::woke, this, &RefreshScheduler::requestRefresh);
    }
    if (!m_clockWatch) {
        // Looked at on a timer rather than armed for the moment itself: a timer's interval
        // stands still while the machine sleeps, and the clock may be set meanwhile.
        m_clockWatch = new QTimer(this);
        m_clockWatch->setTimerType(Qt::VeryCoarseTimer);
        m_clockWatch->setInterval(clockWatchInterval);
        connect(m_clockWatch, &QTimer::timeout, this, &RefreshScheduler::checkClock);
        m_clockWatch->start();
        clockWasChanged();
    }
    requestRefresh();
}

void RefreshScheduler::setPlanResets(QList<QDateTime> resets)
{
    m_planResets = std::move(resets);
}

QDateTime RefreshScheduler::nextMoment() const
{
    const QDateTime since = m_servedSince.isValid() ? m_servedSince : m_clock->now();
    return RefreshMoments::next(since, m_clock->zone(), m_planResets);
}

bool RefreshScheduler::clockWasChanged()
{
    const QDateTime now = m_clock->now();
    const qint64 offset = now.toMSecsSinceEpoch() - m_clock->sinceBootMs();
    const QTimeZone zone = m_clock->zone();
    const QString zoneKey = QString::fromUtf8(zone.id()) + QLatin1Char(' ') + QString::number(zone.offsetFromUtc(now));
    const bool changed = (m_clockOffsetMs && std::llabs(offset - *m_clockOffsetMs) > clockSetMs) ||
                         (m_clockOffsetMs && zoneKey != m_zoneKey);
    m_clockOffsetMs = offset;
    m_zoneKey = zoneKey;
    return changed;
}

void RefreshScheduler::checkClock()
{
    const QDateTime now = m_clock->now();
    if (clockWasChanged()) {
        m_clockChanged = true;
        // A clock set back would otherwise count the days up to the old time as served.
        if (m_servedSince > now)
            m_servedSince = now;
    }
    if (!m_clockChanged && nextMoment() > now)
        return;
    const qint64 sinceBoot = m_clock->sinceBootMs();
    if (m_lastExtraMs && sinceBoot - *m_lastExtraMs < std::chrono::milliseconds(extraSpacing).count())
        return;
    m_lastExtraMs = sinceBoot;
    requestRefresh();
}

void RefreshScheduler::requestRefresh()
{
    // A refresh starts now or follows the running one: either collects its data after now.
    m_servedSince = m_clock->now();
    m_clockChanged = false;
    Q_EMIT refreshRequested();
    if (m_refreshing) {
        setRefreshAgain(true);
        return;
    }
    if (m_jobs.starting)
        m_jobs.starting();
    setRefreshing(true);
    run();
}

QCoro::Task<> RefreshScheduler::run()
{
    const QPointer<RefreshScheduler> self(this);
    const std::optional<QString> error = co_await m_jobs.run();
    if (!self)
        co_return;
    setRefreshing(false);
    const bool followUp = m_refreshAgain;
    if (m_jobs.finished)
        m_jobs.finished(error, followUp);
    if (!self || !followUp)
        co_return;
    setRefreshAgain(false);
    requestRefresh();
}

void RefreshScheduler::setRefreshing(bool refreshing)
{
    if (m_refreshing == refreshing)
        return;
    m_refreshing = refreshing;
    Q_EMIT isRefreshingChanged();
}

void RefreshScheduler::setRefreshAgain(bool again)
{
    if (m_refreshAgain == again)
        return;
    m_refreshAgain = again;
    Q_EMIT refreshAgainChanged();
}

quint64 RefreshScheduler::beginDraw()
{
    if (m_runningDraws++ == 0)
        Q_EMIT isDrawingChanged();
    return ++m_currentDraw;
}

void RefreshScheduler::endDraw()
{
    if (--m_runningDraws == 0)
        Q_EMIT isDrawingChanged();
}
