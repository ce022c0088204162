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

// Larger files are skipped: a desktop calendar of many years is a few megabytes, and a file far
// beyond that is not one we should hold in memory on every refresh.
inline constexpr qint64 maxFileBytes = 50 * 1024 * 1024;
// A content line (after unfolding) longer than this is left out: no property an event needs is
// anywhere near it, and only attachments and pasted documents reach such lengths.
inline constexpr qsizetype maxLineBytes = 1024 * 1024;

bool isTooLarge(const QString &path);
// Whether the text begins as an iCalendar stream does (an optional byte-order mark and blanks,
// then BEGIN:VCALENDAR).
bool looksLikeICalendar(const QByteArray &text);

// What one file gave: its occurrences (in file order), and a plain sentence saying what was wrong
// with it when it could not be read whole ("It is not an iCalendar file.").
struct FileReading
{
    QList<CalendarEvent> events;
    QString problem;
};

// Reads one file. Expansion is bounded in work, not only in time: steps per rule and per file,
// occurrences per event and per file; rules that repeat every second and time zones whose rules
// repeat more often than once a year are refused rather than expanded.
FileReading readFile(const QString &path, const QDateTime &from, const QDateTime &to);

// The occurrences that start in [from, to) or are still running at `from`, sorted by start time.
// Occurrences with equal starts keep file order, then their order inside the file. Files that
// cannot be read, are too large or are not iCalendar are skipped.
QList<CalendarEvent> eventsInFiles(const QStringList &paths, const QDateTime &from, const QDateTime &to);

} // namespace CalendarFileReader
