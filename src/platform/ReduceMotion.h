// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoroTask>
#include <QObject>
#include <QString>
#include <optional>

class QDBusVariant;
class QVariant;

// The desktop's wish for less motion: on when the desktop's "enable animations" setting is off,
// read through the XDG settings portal and followed as it changes. Off when there is no session
// bus or no portal that knows the setting. Lives on the GUI thread; the portal is asked once, on
// first use, and isOn() answers from what it last said, so asking never waits.
class ReduceMotion : public QObject
{
    Q_OBJECT
public:
    // The one instance, created on first use and owned by the application.
    static ReduceMotion &instance();

    bool isOn() const { return m_override.value_or(m_fromDesktop); }

    // Pins the answer regardless of the desktop (tests); none follows the desktop again.
    void setOverride(std::optional<bool> reduceMotion);

    // Reduce motion for a value of "enable-animations" as the portal sends it (a boolean, possibly
    // wrapped in D-Bus variants); none for anything else.
    static std::optional<bool> fromEnableAnimations(const QVariant &value);

Q_SIGNALS:
    void changed();

private Q_SLOTS:
    void portalSettingChanged(const QString &group, const QString &key, const QDBusVariant &value);

private:
    explicit ReduceMotion(QObject *parent);
    void listenToPortal();
    QCoro::Task<> readFromPortal();
    void setFromDesktop(bool reduceMotion);

    bool m_fromDesktop = false;
    std::optional<bool> m_override;
};
