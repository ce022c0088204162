#pragma once

#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>

// Reduces GitHub's replies to the data document's "github" section: the contribution weeks,
// streaks, busiest day, the last 30 days, merged pull requests, releases and the activity
// list. Pure functions of the replies and the refresh time; every missing or mistyped field
// falls back to its default.
class GitHubSummary
{
public:
    static constexpr int activityLimit = 12;
    static constexpr qsizetype maxWeeks = 54;
    static constexpr qsizetype daysPerWeek = 7;

    // viewer: the first query's "viewer"; search: the second query's "data"; events: the
    // events reply.
    static QJsonObject section(const QJsonObject &viewer, const QJsonObject &search, const QJsonArray &events,
                               const QDateTime &now);

    // One of GitHub's contribution days as a day object ("date", "dow", "count", "level").
    static QJsonObject day(const QJsonObject &contributionDay);
    // The calendar's weeks as lists of day objects, oldest first: the newest maxWeeks weeks of at
    // most daysPerWeek days.
    static QJsonArray weeks(const QJsonObject &calendar);

    static qint64 currentStreak(const QList<QJsonObject> &days);
    static qint64 longestStreak(const QList<QJsonObject> &days);
    static QJsonObject busiest(const QList<QJsonObject> &days, const QDateTime &now);
    static qint64 last30(const QList<QJsonObject> &days);

    struct Releases
    {
        qint64 count30 = 0;
        QJsonArray recentItems;
    };
    static Releases releases(const QJsonArray &repositoryNodes, const QDateTime &now);
    static QJsonArray mergedItems(const QJsonObject &search);
    static QJsonArray pushedItems(const QJsonArray &events);
    // Merged, released and pushed items, newest first, at most activityLimit.
    static QJsonArray activity(const QJsonArray &merged, const QJsonArray &released, const QJsonArray &pushed);

private:
    static qint64 count(const QJsonObject &day);
    static QJsonObject activityItem(const QString &type, const QString &repo, const QString &title, const QString &at);
};
