// SPDX-License-Identifier: GPL-3.0-or-later
#include "BoundedWork.h"

#include <algorithm>

BoundedWork::BoundedWork(QObject *parent)
    : QObject(parent)
{}

std::chrono::milliseconds BoundedWork::left(const QDeadlineTimer &deadline)
{
    return std::chrono::milliseconds(std::max<qint64>(0, deadline.remainingTime()));
}

quint64 BoundedWork::start(QThread *worker)
{
    m_busy = true;
    ++m_started;
    // The thread deletes itself whether or not anyone still waits for it, also when this lane
    // has gone before it ended.
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &QThread::finished, this, &BoundedWork::release, Qt::QueuedConnection);
    worker->start();
    return m_started;
}

void BoundedWork::markOverran()
{
    if (!m_busy)
        return;
    m_overran = true;
    Q_EMIT changed();
}

void BoundedWork::release()
{
    m_busy = false;
    m_overran = false;
    Q_EMIT changed();
}
