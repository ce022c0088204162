// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QStringList>
#include <QVariantMap>

class QDBusMessage;

// Whether the desktop says an assistive technology listens, as the accessibility bus's status
// (org.a11y.Status on the session bus) tells it: the desktop's screen reader switch sets
// ScreenReaderEnabled, a running screen reader such as Orca sets IsEnabled. Followed as it
// changes; off when there is no session bus or no accessibility bus. Qt's own accessibility
// bridge is no such sign: on X11 it also turns on whenever the accessibility bus merely runs and
// has written its address on the root window, which Plasma 6 sessions always do. Lives on the GUI
// thread; isOn() answers from what the bus last said, so asking never waits.
class ScreenReaderStatus : public QObject
{
    Q_OBJECT
public:
    // The one instance, created on first use and owned by the application.
    static ScreenReaderStatus &instance();

    bool isOn() const { return m_on; }

    // Whether the status properties, as the bus gives them, say that an assistive technology
    // listens. Properties of the wrong type count as off.
    static bool listening(const QVariantMap &status);

Q_SIGNALS:
    void changed();

private Q_SLOTS:
    void statusChanged(const QString &interface, const QVariantMap &changed, const QStringList &invalidated);
    void statusRead(const QDBusMessage &reply);

private:
    explicit ScreenReaderStatus(QObject *parent);
    void listen();
    void readStatus();
    void setOn(bool on);

    QVariantMap m_status;
    bool m_on = false;
};
