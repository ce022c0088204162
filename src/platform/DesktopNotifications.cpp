// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopNotifications.h"

#include <QCoroDBusPendingCall>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QStringList>
#include <QUrl>
#include <QVariantMap>

const QString DesktopNotifications::serviceName = QStringLiteral("org.freedesktop.Notifications");
const QString DesktopNotifications::objectPath = QStringLiteral("/org/freedesktop/Notifications");

namespace {

const QString applicationName = QStringLiteral("Tessarine");
const QString desktopEntry = QStringLiteral("app.tessarine.Tessarine");
// -1 leaves the time on screen to the service, as the user has set it up there.
constexpr int serviceDefaultTimeout = -1;
constexpr uchar normalUrgency = 1;

// The service takes a picture as a file URI and a theme icon by its name.
QString iconArgument(const QString &icon)
{
    if (QFileInfo(icon).isAbsolute())
        return QUrl::fromLocalFile(icon).toString();
    return icon;
}

} // namespace

QCoro::Task<bool> DesktopNotifications::show(Notification notification)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        co_return false;
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName, objectPath, serviceName, QStringLiteral("Notify"));
    const QVariantMap hints{
        {QStringLiteral("desktop-entry"), desktopEntry},
        {QStringLiteral("urgency"), QVariant::fromValue(normalUrgency)},
    };
    call.setArguments({applicationName, QVariant::fromValue(uint(0)), iconArgument(notification.icon),
                       notification.summary, notification.body, QStringList(), hints, serviceDefaultTimeout});
    const QDBusMessage reply = co_await bus.asyncCall(call);
    co_return reply.type() == QDBusMessage::ReplyMessage;
}
