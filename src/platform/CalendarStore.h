// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CalendarEvent.h"
#include "DesktopCalendarService.h"

#include <QCoroTask>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QObject>
#include <QStringList>
#include <chrono>
#include <memory>

class BoundedWork;
class CalendarConsentPresenter;
class CalendarSubscriptions;
class CredentialStore;

// The user's calendars as Tessarine sees them: the events of iCalendar files kept in
// ~/.local/share/Tessarine/calendars/ and the desktop's local calendars
// (~/.local/share/evolution/calendar/*/calendar.ics), the calendars subscribed to by address, and
// the calendars of the desktop's calendar service, less those the user switched off.
// Reading them needs the user's consent, asked once and kept in the defaults store; the
// answer can be changed later in the calendar privacy dialog. Lives on the GUI thread; the
// files and the calendar service are read on worker threads, each waited for a bounded time.
class CalendarStore : public QObject
{
    Q_OBJECT
public:
    enum class Authorization
    {
        NotDetermined,
        FullAccess,
        Denied,
    };
    Q_ENUM(Authorization)

    // Defaults keys: the consent ("fullAccess" or "denied"; absent means not asked yet) and the
    // switched-off files (a JSON array of absolute paths).
    static const QString accessKey;
    static const QString switchedOffFilesKey;
    // The calendar service's calendars switched off: a JSON array of their uids.
    static const QString switchedOffServiceCalendarsKey;
    // How long a refresh waits for the files, and for the calendar service, before it goes on
    // without them.
    static constexpr std::chrono::milliseconds defaultReadBound{30'000};

    // Subscription addresses are kept in the desktop keyring.
    explicit CalendarStore(QObject *parent = nullptr);
    CalendarStore(std::shared_ptr<CredentialStore> credentials, QObject *parent);

    CalendarSubscriptions &subscriptions() const { return *m_subscriptions; }

    Authorization authorization() const;
    // Records the user's answer; used by the privacy dialog.
    void setAuthorization(Authorization authorization);

    // Asks for full access through the consent presenter and keeps the answer. Once the user has
    // answered, the stored answer is returned without asking again. Without a presenter, or when
    // the user closes the question unanswered, the result is false and the question stays open.
    // Requests made while the question is on screen share its answer.
    QCoro::Task<bool> requestFullAccess();
    // Not owned; it must outlive the store or be replaced by nullptr before it goes.
    void setConsentPresenter(CalendarConsentPresenter *presenter);

    // Every calendar file found, Tessarine's own folder first, each folder in name order.
    QStringList calendarFiles() const;
    QStringList switchedOffFiles() const;
    void setSwitchedOffFiles(const QStringList &paths);
    bool isSwitchedOff(const QString &path) const;

    QStringList switchedOffServiceCalendars() const;
    void setServiceCalendarSwitchedOn(const QString &uid, bool on);
    // The calendar service's enabled calendars, read on a worker thread; none without full access
    // or without the service.
    QCoro::Task<QList<DesktopCalendarService::Calendar>> serviceCalendars() const;

    // The occurrences that start in [from, to) or are still running at `from`, sorted by start
    // time with equal starts in store order (files in order, then subscriptions, then the calendar
    // service). The same event in two calendars (same UID and start) is listed once. Empty
    // without full access; nothing is read or fetched then. Recurring events give one entry per
    // occurrence. Fetches the subscriptions first.
    QCoro::Task<QList<CalendarEvent>> events(QDateTime from, QDateTime to);

    void setReadBound(std::chrono::milliseconds bound) { m_readBound = bound; }

    // What was wrong with a calendar file at the last reading of events, in a sentence for its
    // row ("It is not an iCalendar file."); empty when it was read whole.
    QString fileProblem(const QString &path) const;

    static QString tessarineCalendarsDir();
    static QString desktopCalendarsDir();

Q_SIGNALS:
    // The stored answer changed, through the consent question or the privacy dialog.
    void authorizationChanged();
    void switchedOffFilesChanged();
    void switchedOffServiceCalendarsChanged();
    // A consent question ended; `granted` tells whether full access now holds.
    void accessRequestFinished(bool granted);
    // The problems of the calendar files changed at a reading of events.
    void fileProblemsChanged();

private:
    QCoro::Task<bool> askThroughPresenter();
    QStringList filesToRead() const;

    CalendarConsentPresenter *m_presenter = nullptr;
    CalendarSubscriptions *m_subscriptions = nullptr;
    // Listing and reading the calendar service, one at a time.
    BoundedWork *m_serviceWork = nullptr;
    std::chrono::milliseconds m_readBound = defaultReadBound;
    bool m_asking = false;
    QHash<QString, QString> m_fileProblems; // by path
};
