#pragma once

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QString>
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

    // A read-only SQLite URI for the path, percent-encoded so that any character in the path
    // (a space, "?", "#", "%") names the file instead of breaking the URI.
    static QByteArray databaseUri(const QString &databasePath);

    static QJsonArray statsFromDays(const QHash<QString, Day> &days, const QDateTime &now);

private:
    static qint64 streak(const QHash<QString, Day> &days, const QDateTime &now);
};
