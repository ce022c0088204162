// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// One occurrence of a calendar event: a recurring event gives one of these for every time it
// happens. All-day events start at local midnight of their first day and end at local midnight
// after their last.
struct CalendarEvent
{
    std::optional<QString> title; // none when the event has no SUMMARY; an empty SUMMARY stays empty
    QString uid;                  // the event's UID, shared by all its occurrences; may be empty
    QString calendar;             // where it was read: a file's path, or the service's calendar key
    QDateTime start;
    QDateTime end; // equal to start for an event that gives no end or duration
    bool allDay = false;

    bool operator==(const CalendarEvent &other) const = default;
};
