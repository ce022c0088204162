// SPDX-License-Identifier: GPL-3.0-or-later
#include "ReduceMotion.h"

#include <QCoreApplication>
#include <QCoroDBusPendingCall>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QPointer>

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString interfaceGroup = QStringLiteral("org.gnome.desktop.interface");
const QString animationsKey = QStringLiteral("enable-animations");

QDBusMessage settingsCall(const QString &method)
{
    QDBusMessage call = QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, method);
    call.setArguments({interfaceGroup, animationsKey});
    return call;
}

} // namespace

ReduceMotion &ReduceMotion::instance()
{
    static QPointer<ReduceMotion> shared;
    if (!shared)
        shared = new ReduceMotion(QCoreApplication::instance());
    return *shared;
}

ReduceMotion::ReduceMotion(QObject *parent)
    : QObject(parent)
{
    listenToPortal();
}

void ReduceMotion::setOverride(std::optional<bool> reduceMotion)
{
    const bool was = isOn();
    m_override = reduceMotion;
    if (isOn() != was)
        Q_EMIT changed();
}

std::optional<bool> ReduceMotion::fromEnableAnimations(const QVariant &value)
{
    // The portal's older Read method wraps the value in one more variant than ReadOne does.
    QVariant unwrapped = value;
    for (int depth = 0; depth < 4 && unwrapped.metaType() == QMetaType::fromType<QDBusVariant>(); ++depth)
        unwrapped = unwrapped.value<QDBusVariant>().variant();
    if (unwrapped.metaType() != QMetaType::fromType<bool>())
        return std::nullopt;
    return !unwrapped.toBool();
}

void ReduceMotion::listenToPortal()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    bus.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
                SLOT(portalSettingChanged(QString, QString, QDBusVariant)));
    readFromPortal();
}

QCoro::Task<> ReduceMotion::readFromPortal()
{
    QPointer<ReduceMotion> self(this);
    // ReadOne exists from version 2 of the interface; older portals only offer Read.
    for (const QString &method : {QStringLiteral("ReadOne"), QStringLiteral("Read")}) {
        const QDBusMessage reply = co_await QDBusConnection::sessionBus().asyncCall(settingsCall(method));
        if (!self)
            co_return;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            continue;
        if (const std::optional<bool> reduce = fromEnableAnimations(reply.arguments().constFirst())) {
            setFromDesktop(*reduce);
            co_return;
        }
    }
}

void ReduceMotion::portalSettingChanged(const QString &group, const QString &key, const QDBusVariant &value)
{
    if (group != interfaceGroup || key != animationsKey)
        return;
    if (const std::optional<bool> reduce = fromEnableAnimations(value.variant()))
        setFromDesktop(*reduce);
}

void ReduceMotion::setFromDesktop(bool reduceMotion)
{
    const bool was = isOn();
    m_fromDesktop = reduceMotion;
    if (isOn() != was)
        Q_EMIT changed();
}
