// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <optional>

// iCalendar text for the calendar tests, with CRLF line ends as the format has them.
namespace CalendarText {

// "20260301T091542Z": the instant in UTC as iCalendar writes it.
QByteArray stamp(const QDateTime &time);
// A calendar holding these events.
QByteArray calendar(const QByteArray &events);
// An event with this uid and these property lines (each ending in CRLF).
QByteArray event(const QByteArray &uid, const QByteArray &lines);
// A half-hour event from `start`, with this summary unless there is none.
QByteArray timedEvent(const QByteArray &uid, const QDateTime &start, const std::optional<QByteArray> &summary);

} // namespace CalendarText
