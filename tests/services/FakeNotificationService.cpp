// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeNotificationService.h"

#include "platform/DesktopNotifications.h"

namespace {

// Each fake gets a connection of its own, so its name owner differs from the program's.
QString nextConnectionName()
{
    static int made = 0;
    return QStringLiteral("fake-notifications-%1").arg(++made);
}

} // namespace

FakeNotificationService::FakeNotificationService()
    : m_bus(QDBusConnection::connectToBus(QDBusConnection::SessionBus, nextConnectionName()))
{}

FakeNotificationService::~FakeNotificationService()
{
    stop();
    QDBusConnection::disconnectFromBus(m_bus.name());
}

bool FakeNotificationService::start()
{
    if (!m_bus.isConnected())
        return false;
    return m_bus.registerObject(DesktopNotifications::objectPath, this, QDBusConnection::ExportAllSlots) &&
           m_bus.registerService(DesktopNotifications::serviceName);
}

void FakeNotificationService::stop()
{
    if (!m_bus.isConnected())
        return;
    m_bus.unregisterService(DesktopNotifications::serviceName);
    m_bus.unregisterObject(DesktopNotifications::objectPath);
}

QStringList FakeNotificationService::summaries() const
{
    QStringList summaries;
    for (const Call &call : m_calls)
        summaries.append(call.summary);
    return summaries;
}

uint FakeNotificationService::Notify(const QString &appName, uint replacesId, const QString &appIcon,
                                     const QString &summary, const QString &body, const QStringList &actions,
                                     const QVariantMap &hints, int expireTimeout)
{
    m_calls.append({appName, replacesId, appIcon, summary, body, actions, hints, expireTimeout});
    return uint(m_calls.size());
}
