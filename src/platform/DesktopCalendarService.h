// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CalendarEvent.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

// The desktop's calendar service (the Evolution Data Server, which GNOME Online Accounts, GNOME
// Calendar and Evolution feed) through libecal. Every call is synchronous and may take seconds
// while the service starts, so it runs on a worker thread. Where the service is not installed or
// no session bus runs, there are simply no calendars.
namespace DesktopCalendarService {

struct Calendar
{
    QString uid; // the service's id of the calendar
    QString name;
    QString colour; // as the service keeps it, such as "#3465a4"; empty when it has none
};

struct Reading
{
    QList<Calendar> calendars; // every enabled calendar, switched off or not
    QList<CalendarEvent> events;
};

// The enabled calendars; none when the service cannot be reached.
QList<Calendar> calendars();

// The calendars, and the occurrences that start in [from, to) or are still running at `from` of
// those not named in `switchedOff`, recurrences expanded, sorted by start. Each event's `calendar`
// is "desktop-service:" followed by the calendar's uid.
Reading read(const QDateTime &from, const QDateTime &to, const QStringList &switchedOff);

QString calendarKey(const QString &uid);

} // namespace DesktopCalendarService
