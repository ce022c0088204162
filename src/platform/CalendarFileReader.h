// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CalendarEvent.h"

#include <QDateTime>
#include <QList>
#include <QStringList>

// Reads iCalendar files with libical and expands every event into its occurrences that touch a
// time window. Self-contained, so it may run on a worker thread; concurrent calls are
// serialised because libical keeps a process-wide time-zone cache.
namespace CalendarFileReader {

// The occurrences that start in [from, to) or are still running at `from`, sorted by start time.
// Occurrences with equal starts keep file order, then their order inside the file. Files that
// cannot be read, are too large or are not iCalendar are skipped.
QList<CalendarEvent> eventsInFiles(const QStringList &paths, const QDateTime &from, const QDateTime &to);

} // namespace CalendarFileReader
