// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenReaderStatus.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QPointer>

namespace {

const QString busService = QStringLiteral("org.a11y.Bus");
const QString busPath = QStringLiteral("/org/a11y/bus");
const QString statusInterface = QStringLiteral("org.a11y.Status");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QStringList listeningProperties{QStringLiteral("ScreenReaderEnabled"), QStringLiteral("IsEnabled")};

QVariant unwrapped(QVariant value)
{
    while (value.metaType() == QMetaType::fromType<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace

ScreenReaderStatus &ScreenReaderStatus::instance()
{
    static QPointer<ScreenReaderStatus> shared;
    if (!shared)
        shared = new ScreenReaderStatus(QCoreApplication::instance());
    return *shared;
}

ScreenReaderStatus::ScreenReaderStatus(QObject *parent)
    : QObject(parent)
{
    listen();
}

bool ScreenReaderStatus::listening(const QVariantMap &status)
{
    for (const QString &name : listeningProperties) {
        const QVariant value = unwrapped(status.value(name));
        if (value.metaType() == QMetaType::fromType<bool>() && value.toBool())
            return true;
    }
    return false;
}

void ScreenReaderStatus::listen()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(busService, busPath, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                SLOT(statusChanged(QString, QVariantMap, QStringList)));
    // The accessibility bus may start after the program, and may go away with its session.
    auto *watcher = new QDBusServiceWatcher(busService, bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &ScreenReaderStatus::readStatus);
    connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        m_status.clear();
        setOn(false);
    });
    readStatus();
}

void ScreenReaderStatus::readStatus()
{
    QDBusMessage call =
        QDBusMessage::createMethodCall(busService, busPath, propertiesInterface, QStringLiteral("GetAll"));
    call.setArguments({statusInterface});
    // Asking must not start the accessibility bus where the desktop runs none.
    call.setAutoStartService(false);
    QDBusConnection::sessionBus().callWithCallback(call, this, SLOT(statusRead(QDBusMessage)));
}

void ScreenReaderStatus::statusRead(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return;
    m_status = qdbus_cast<QVariantMap>(reply.arguments().constFirst());
    setOn(listening(m_status));
}

void ScreenReaderStatus::statusChanged(const QString &interface, const QVariantMap &changed,
                                       const QStringList &invalidated)
{
    if (interface != statusInterface)
        return;
    for (auto property = changed.begin(); property != changed.end(); ++property)
        m_status.insert(property.key(), property.value());
    if (!invalidated.isEmpty()) {
        readStatus();
        return;
    }
    setOn(listening(m_status));
}

void ScreenReaderStatus::setOn(bool on)
{
    if (on == m_on)
        return;
    m_on = on;
    Q_EMIT changed();
}
