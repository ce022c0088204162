// SPDX-License-Identifier: GPL-3.0-or-later
#include "RefreshScheduler.h"

#include "platform/WakeMonitor.h"

#include <QTimer>
#include <utility>

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

RefreshScheduler::RefreshScheduler(Jobs jobs, QObject *parent)
    : QObject(parent)
    , m_jobs(std::move(jobs))
{}

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
    requestRefresh();
}

void RefreshScheduler::requestRefresh()
{
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
