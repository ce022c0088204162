// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

// Tells when the computer has woken from sleep: logind announces PrepareForSleep(true) before
// sleeping and PrepareForSleep(false) after waking, on the system bus. Without a system bus the
// monitor never reports anything. Lives on the GUI thread.
class WakeMonitor : public QObject
{
    Q_OBJECT
public:
    explicit WakeMonitor(QObject *parent = nullptr);

    // Whether logind's announcements reach this monitor.
    bool isListening() const { return m_listening; }

public Q_SLOTS:
    // logind's signal: `starting` is true on the way to sleep and false on waking.
    void prepareForSleep(bool starting);

Q_SIGNALS:
    void woke();

private:
    bool m_listening = false;
};
