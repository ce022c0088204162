// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoroTask>
#include <QString>

// The desktop's notification bubbles: the freedesktop notification service
// (org.freedesktop.Notifications) on the session bus. Where no session bus runs or no service
// owns that name, nothing is shown and nothing fails.
class DesktopNotifications
{
public:
    static const QString serviceName; // "org.freedesktop.Notifications"
    static const QString objectPath;  // "/org/freedesktop/Notifications"

    struct Notification
    {
        QString summary;
        QString body;
        QString icon; // an absolute picture file or a name from the icon theme; empty for none
    };

    // Asks the service to show the notification; true once it has taken it. Never blocks: the
    // reply is awaited on the event loop.
    static QCoro::Task<bool> show(Notification notification);
};
