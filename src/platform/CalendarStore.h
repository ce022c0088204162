// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CalendarEvent.h"

#include <QCoroTask>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QStringList>

class CalendarConsentPresenter;

// The user's calendars as Tessarine sees them: the events of iCalendar files kept in
// ~/.local/share/Tessarine/calendars/ and the desktop's local calendars
// (~/.local/share/evolution/calendar/*/calendar.ics), less the files the user switched off.
// Reading them needs the user's consent, asked once and kept in the defaults store; the
// answer can be changed later in the calendar privacy dialog. Lives on the GUI thread; the
// files are read on a worker thread.
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

    explicit CalendarStore(QObject *parent = nullptr);

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

    // The occurrences that start in [from, to) or are still running at `from`, sorted by start
    // time with equal starts in store order (file order, then order inside the file). Empty
    // without full access. Recurring events give one entry per occurrence.
    QCoro::Task<QList<CalendarEvent>> events(QDateTime from, QDateTime to) const;

    static QString tessarineCalendarsDir();
    static QString desktopCalendarsDir();

Q_SIGNALS:
    // The stored answer changed, through the consent question or the privacy dialog.
    void authorizationChanged();
    void switchedOffFilesChanged();
    // A consent question ended; `granted` tells whether full access now holds.
    void accessRequestFinished(bool granted);

private:
    QCoro::Task<bool> askThroughPresenter();
    QStringList filesToRead() const;

    CalendarConsentPresenter *m_presenter = nullptr;
    bool m_asking = false;
};
