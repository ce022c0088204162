// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoroTask>
#include <QJsonObject>
#include <QObject>
#include <memory>

class CalendarStore;
class CredentialStore;

// The "next events" calendar as the refresh and the windows reach it: the calendar store
// (created on first use), the data document's "calendar" section read from it, and the
// question for calendar access. Lives on the GUI thread.
class CalendarSource : public QObject
{
    Q_OBJECT
public:
    // Without credentials, the store keeps its secrets in the desktop keyring.
    explicit CalendarSource(std::shared_ptr<CredentialStore> credentials, QObject *parent = nullptr);

    CalendarStore &store();
    // Counts answers to the calendar access question; accessChanged() tells windows to read the
    // authorisation again.
    int accessChanges() const { return m_accessChanges; }
    // Asks the user for calendar access; whatever the answer, then announces accessChanged().
    void requestAccess();
    // The data document's "calendar" section: the next 7 days' first 12 events, or "noAccess".
    QCoro::Task<QJsonObject> section();

Q_SIGNALS:
    void accessChanged();
    // A calendar was added, switched on or off: what the card shows is out of date.
    void calendarsChanged();

private:
    QCoro::Task<> askForAccess();

    std::shared_ptr<CredentialStore> m_credentials;
    CalendarStore *m_store = nullptr;
    int m_accessChanges = 0;
};
