// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// Plays the desktop's notification service on the session bus: owns
// org.freedesktop.Notifications on a connection of its own and records every Notify call.
class FakeNotificationService : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

public:
    struct Call
    {
        QString appName;
        uint replacesId = 0;
        QString appIcon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int expireTimeout = 0;
    };

    FakeNotificationService();
    ~FakeNotificationService() override;

    // Takes the service name; false when the bus is missing or the name is taken.
    bool start();
    // Gives the name up, as a service that quits does.
    void stop();

    const QList<Call> &calls() const { return m_calls; }
    QStringList summaries() const;

public Q_SLOTS:
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints, int expireTimeout);

private:
    QDBusConnection m_bus;
    QList<Call> m_calls;
};
