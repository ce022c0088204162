// SPDX-License-Identifier: GPL-3.0-or-later
#include "GitHubSummary.h"

#include "DateText.h"
#include "GitHubSource.h"
#include "JsonFields.h"

#include <QHash>
#include <algorithm>

using namespace JsonFields;

namespace {

constexpr qint64 secondsPerDay = 86400;

int levelNumber(const QJsonValue &name)
{
    static const QHash<QString, int> levels{{QStringLiteral("NONE"), 0},
                                            {QStringLiteral("FIRST_QUARTILE"), 1},
                                            {QStringLiteral("SECOND_QUARTILE"), 2},
                                            {QStringLiteral("THIRD_QUARTILE"), 3},
                                            {QStringLiteral("FOURTH_QUARTILE"), 4}};
    return levels.value(string(name), 0);
}

QList<QJsonObject> allDays(const QJsonArray &weeks)
{
    QList<QJsonObject> days;
    for (const QJsonValue &week : weeks) {
        for (const QJsonValue &day : week.toArray())
            days.append(day.toObject());
    }
    return days;
}

QString lastPathPart(const QString &name)
{
    return name.section(QLatin1Char('/'), -1);
}

} // namespace

QJsonObject GitHubSummary::section(const QJsonObject &viewer, const QJsonObject &search, const QJsonArray &events,
                                   const QDateTime &now)
{
    const QJsonObject calendar = object(
        object(viewer.value(QStringLiteral("contributionsCollection"))).value(QStringLiteral("contributionCalendar")));
    const QJsonArray weekList = weeks(calendar);
    const QList<QJsonObject> days = allDays(weekList);
    const QJsonArray repositories =
        array(object(viewer.value(QStringLiteral("repositories"))).value(QStringLiteral("nodes")));
    const Releases recent = releases(repositories, now);
    const QJsonObject merged = object(search.value(QStringLiteral("merged")));

    QJsonObject section;
    section.insert(QStringLiteral("weeks"), weekList);
    section.insert(QStringLiteral("total"), numberOrZero(calendar.value(QStringLiteral("totalContributions"))));
    section.insert(QStringLiteral("currentStreak"), currentStreak(days));
    section.insert(QStringLiteral("longestStreak"), longestStreak(days));
    section.insert(QStringLiteral("busiest"), busiest(days, now));
    section.insert(QStringLiteral("last30"), last30(days));
    section.insert(QStringLiteral("prs"),
                   QJsonObject{{QStringLiteral("merged30"), numberOrZero(merged.value(QStringLiteral("issueCount")))}});
    section.insert(QStringLiteral("releases30"), recent.count30);
    section.insert(QStringLiteral("activity"), activity(mergedItems(search), recent.recentItems, pushedItems(events)));
    return section;
}

QJsonObject GitHubSummary::day(const QJsonObject &contributionDay)
{
    return QJsonObject{
        {QStringLiteral("date"), string(contributionDay.value(QStringLiteral("date")))},
        {QStringLiteral("dow"), integer(contributionDay.value(QStringLiteral("weekday"))).value_or(0)},
        {QStringLiteral("count"), integer(contributionDay.value(QStringLiteral("contributionCount"))).value_or(0)},
        {QStringLiteral("level"), levelNumber(contributionDay.value(QStringLiteral("contributionLevel")))},
    };
}

QJsonArray GitHubSummary::weeks(const QJsonObject &calendar)
{
    // GitHub's calendar is one year: 53 weeks, now and then 54, of at most 7 days. A longer
    // list is no contribution calendar and would only swell the data document; its newest
    // weeks and each week's first days are kept.
    const QJsonArray all = array(calendar.value(QStringLiteral("weeks")));
    QJsonArray result;
    for (qsizetype week = std::max<qsizetype>(0, all.size() - maxWeeks); week < all.size(); ++week) {
        QJsonArray days;
        for (const QJsonValue &contributionDay :
             array(object(all.at(week)).value(QStringLiteral("contributionDays")))) {
            if (days.size() == daysPerWeek)
                break;
            if (contributionDay.isObject())
                days.append(day(contributionDay.toObject()));
        }
        result.append(days);
    }
    return result;
}

qint64 GitHubSummary::count(const QJsonObject &day)
{
    return day.value(QStringLiteral("count")).toInteger();
}

qint64 GitHubSummary::currentStreak(const QList<QJsonObject> &days)
{
    if (days.isEmpty())
        return 0;
    // A day without contributions yet today does not break the streak.
    qsizetype index = days.size() - 1;
    if (count(days[index]) <= 0)
        --index;
    qint64 streak = 0;
    for (; index >= 0 && count(days[index]) >= 1; --index)
        ++streak;
    return streak;
}

qint64 GitHubSummary::longestStreak(const QList<QJsonObject> &days)
{
    qint64 longest = 0;
    qint64 run = 0;
    for (const QJsonObject &day : days) {
        run = count(day) > 0 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

QJsonObject GitHubSummary::busiest(const QList<QJsonObject> &days, const QDateTime &now)
{
    if (days.isEmpty())
        return QJsonObject{{QStringLiteral("date"), GitHubSource::dayString(now, true)}, {QStringLiteral("count"), 0}};
    QJsonObject best = days.first();
    for (const QJsonObject &day : days) {
        if (count(day) > count(best))
            best = day;
    }
    return best;
}

qint64 GitHubSummary::last30(const QList<QJsonObject> &days)
{
    qint64 sum = 0;
    for (qsizetype i = std::max<qsizetype>(0, days.size() - 30); i < days.size(); ++i)
        sum += count(days[i]);
    return sum;
}

GitHubSummary::Releases GitHubSummary::releases(const QJsonArray &repositoryNodes, const QDateTime &now)
{
    const QDateTime monthAgo = now.addSecs(-30 * secondsPerDay);
    const QDateTime fortnightAgo = now.addSecs(-14 * secondsPerDay);
    Releases result;
    for (const QJsonValue &repositoryValue : repositoryNodes) {
        const QJsonObject repository = object(repositoryValue);
        const QJsonArray releaseNodes =
            array(object(repository.value(QStringLiteral("releases"))).value(QStringLiteral("nodes")));
        for (const QJsonValue &releaseValue : releaseNodes) {
            const QJsonObject release = object(releaseValue);
            const QString createdAt = string(release.value(QStringLiteral("createdAt")));
            const std::optional<QDateTime> created = DateText::parseInternetDateTime(createdAt);
            if (!created || *created < monthAgo)
                continue;
            ++result.count30;
            if (*created < fortnightAgo)
                continue;
            const QString title = optionalString(release.value(QStringLiteral("tagName")))
                                      .value_or(string(release.value(QStringLiteral("name"))));
            result.recentItems.append(activityItem(QStringLiteral("released"),
                                                   string(repository.value(QStringLiteral("name"))), title, createdAt));
        }
    }
    return result;
}

QJsonArray GitHubSummary::mergedItems(const QJsonObject &search)
{
    QJsonArray items;
    const QJsonArray nodes = array(object(search.value(QStringLiteral("recent"))).value(QStringLiteral("nodes")));
    for (const QJsonValue &nodeValue : nodes) {
        const QJsonObject node = object(nodeValue);
        const std::optional<QString> mergedAt = optionalString(node.value(QStringLiteral("mergedAt")));
        if (!mergedAt)
            continue;
        const QString repo = string(object(node.value(QStringLiteral("repository"))).value(QStringLiteral("name")));
        items.append(
            activityItem(QStringLiteral("merged"), repo, string(node.value(QStringLiteral("title"))), *mergedAt));
    }
    return items;
}

QJsonArray GitHubSummary::pushedItems(const QJsonArray &events)
{
    struct Group
    {
        QString repo;
        QString branch;
        qint64 pushes = 0;
        QString latest;
    };
    QList<Group> groups;
    QHash<QString, qsizetype> indexByKey;
    for (const QJsonValue &eventValue : events) {
        const QJsonObject event = object(eventValue);
        if (string(event.value(QStringLiteral("type"))) != QStringLiteral("PushEvent"))
            continue;
        const QString repo =
            lastPathPart(string(object(event.value(QStringLiteral("repo"))).value(QStringLiteral("name"))));
        QString branch = string(object(event.value(QStringLiteral("payload"))).value(QStringLiteral("ref")));
        branch.remove(QStringLiteral("refs/heads/"));
        if (branch.isEmpty())
            branch = QStringLiteral("a branch");
        const QString createdAt = string(event.value(QStringLiteral("created_at")));
        const QString key = repo + QLatin1Char('|') + branch + QLatin1Char('|') + createdAt.left(10);
        qsizetype index = indexByKey.value(key, -1);
        if (index < 0) {
            index = groups.size();
            indexByKey.insert(key, index);
            groups.append(Group{repo, branch, 0, createdAt});
        }
        Group &group = groups[index];
        ++group.pushes;
        group.latest = std::max(group.latest, createdAt);
    }
    QJsonArray items;
    for (const Group &group : groups) {
        const QString title = QString::number(group.pushes) +
                              (group.pushes == 1 ? QStringLiteral(" push to ") : QStringLiteral(" pushes to ")) +
                              group.branch;
        items.append(activityItem(QStringLiteral("pushed"), group.repo, title, group.latest));
    }
    return items;
}

QJsonArray GitHubSummary::activity(const QJsonArray &merged, const QJsonArray &released, const QJsonArray &pushed)
{
    QList<QJsonObject> items;
    for (const QJsonArray &part : {merged, released, pushed}) {
        for (const QJsonValue &item : part)
            items.append(item.toObject());
    }
    std::stable_sort(items.begin(), items.end(), [](const QJsonObject &a, const QJsonObject &b) {
        return a.value(QStringLiteral("at")).toString() > b.value(QStringLiteral("at")).toString();
    });
    QJsonArray newest;
    for (qsizetype i = 0; i < std::min<qsizetype>(items.size(), activityLimit); ++i)
        newest.append(items[i]);
    return newest;
}

QJsonObject GitHubSummary::activityItem(const QString &type, const QString &repo, const QString &title,
                                        const QString &at)
{
    return QJsonObject{{QStringLiteral("type"), type},
                       {QStringLiteral("repo"), repo},
                       {QStringLiteral("title"), title},
                       {QStringLiteral("at"), at}};
}
