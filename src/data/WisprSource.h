// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoro/QCoroTask>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QHash>
#include <QJsonArray>
#include <QString>
#include <chrono>
#include <optional>

// Wispr Flow's dictation statistics: words per local day over the last 60 days, read
// read-only from its SQLite history, reduced to "Today" and "Last 30 days". Only counts and
// durations are read, never the dictated text.
class WisprSource
{
public:
    struct Day
    {
        qint64 words = 0;
        double seconds = 0;
        qint64 dictations = 0;
    };

    static const char *const query;

    // How long one reading of the database may take. The query is stopped there (through
    // SQLite's progress handler), so a huge history, or a History that is an endless recursive
    // view, costs the refresh this much and no more.
    static constexpr std::chrono::milliseconds defaultQueryBound{5000};

    // The statistics, or the reason there are none.
    struct Reading
    {
        std::optional<QJsonArray> stats;
        QString reason;
    };

    // Reads the database on a worker thread, bounded in time; the GUI thread only waits.
    static QCoro::Task<Reading> readInBackground(QDateTime now, QString databasePath,
                                                 std::chrono::milliseconds bound = defaultQueryBound);
    // The same on the calling thread.
    static Reading read(const QDateTime &now, const QString &databasePath,
                        std::chrono::milliseconds bound = defaultQueryBound);
    static QString tooSlowReason(std::chrono::milliseconds bound);

    // <Application Support>/Wispr Flow/flow.sqlite
    static QString databasePath();

    // Why there are no statistics: no database (Wispr Flow is not installed), or one that is there
    // but could not be read (corrupt, locked, or of another shape).
    static QString unavailableReason();
    static QString unavailableReason(const QString &databasePath);

    // The two stat objects; none when the database is missing or cannot be read.
    static std::optional<QJsonArray> stats(const QDateTime &now);
    static std::optional<QJsonArray> stats(const QDateTime &now, const QString &databasePath);

    // The per-day records ("yyyy-MM-dd" in local time) of the database; none when it cannot
    // be opened or read.
    static std::optional<QHash<QString, Day>> readDays(const QString &databasePath);
    // The same, stopped when the deadline passes (then `tooSlow` is set).
    static std::optional<QHash<QString, Day>> readDays(const QString &databasePath, const QDeadlineTimer &deadline,
                                                       bool *tooSlow);

    // A read-only SQLite URI for the path, percent-encoded so that any character in the path
    // (a space, "?", "#", "%") names the file instead of breaking the URI.
    static QByteArray databaseUri(const QString &databasePath);

    static QJsonArray statsFromDays(const QHash<QString, Day> &days, const QDateTime &now);

private:
    static qint64 streak(const QHash<QString, Day> &days, const QDateTime &now);
};
