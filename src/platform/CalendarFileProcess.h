// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CalendarFileReader.h"

#include <QByteArray>
#include <QCoroTask>
#include <QDateTime>
#include <QString>
#include <chrono>
#include <optional>

// Reads one calendar file in a child process of Tessarine's own, which is killed when it takes
// longer than its bound. libical can spend minutes inside one call (a rule searching for an
// instance that never comes, a time zone expanding change after change) and a thread cannot be
// stopped there; a process can, so a stuck read never outlives its refresh, never keeps a core
// busy or memory growing, and never holds libical's process-wide lock for the reads that follow.
//
// The child is this same program started again (/proc/self/exe) with a marker in its otherwise
// minimal environment; the marker is seen before main() runs, so every program that reads
// calendars (Tessarine and its tests alike) can be its own reader.
namespace CalendarFileProcess {

// The most a child may write back: far more than the occurrences one file may give.
inline constexpr qint64 maxAnswerBytes = 64 * 1024 * 1024;
// The most memory a child may take; a read that needs more fails instead of slowing the desktop.
inline constexpr qint64 maxChildMemoryBytes = 1024LL * 1024 * 1024;

// What the file gave, or its problem when the child overran its bound, died or could not start.
QCoro::Task<CalendarFileReader::FileReading> read(QString path, QDateTime from, QDateTime to,
                                                  std::chrono::milliseconds bound);

// The reading as the child writes it back, and read again by the parent.
QByteArray encode(const CalendarFileReader::FileReading &reading);
std::optional<CalendarFileReader::FileReading> decode(const QByteArray &bytes);

} // namespace CalendarFileProcess
