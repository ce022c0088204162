// SPDX-License-Identifier: GPL-3.0-or-later
#include "WakeMonitor.h"

#include <QDBusConnection>

WakeMonitor::WakeMonitor(QObject *parent)
    : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    m_listening = bus.connect(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                              QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PrepareForSleep"), this,
                              SLOT(prepareForSleep(bool)));
}

void WakeMonitor::prepareForSleep(bool starting)
{
    if (!starting)
        Q_EMIT woke();
}
