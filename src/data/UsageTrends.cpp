// SPDX-License-Identifier: GPL-3.0-or-later
#include "UsageTrends.h"

#include "BurnRateForecast.h"
#include "JsonFields.h"
#include "UsageHistory.h"
#include "platform/BoundedWork.h"
#include "platform/DesktopNotifications.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <functional>

namespace {

const QString runsOutAtKey = QStringLiteral("runsOutAt");
const QString outlookKey = QStringLiteral("outlook");
const QString seriesKey = QStringLiteral("series");

// One session with the database at a time: a session that overran its bound may still be running
// when the next refresh, or the next reading of Claude Code's report, begins its own.
QMutex &sessionLock()
{
    static QMutex lock;
    return lock;
}

double secondsOf(const QDateTime &time)
{
    return double(time.toMSecsSinceEpoch()) / 1000.0;
}

bool isOk(const QJsonObject &entry)
{
    return JsonFields::string(entry.value(QStringLiteral("status"))) == QStringLiteral("ok");
}

std::optional<UsageHistory::Reading> readingOf(const QString &provider, const QString &key, const QJsonObject &window)
{
    const std::optional<double> used = JsonFields::number(window.value(QStringLiteral("usedPercent")));
    if (!used)
        return std::nullopt;
    return UsageHistory::Reading{provider, key, *used, JsonFields::number(window.value(QStringLiteral("resetsAt")))};
}

// Calls `visit(provider id, key, window)` for every window object of every entry that has windows.
template<typename Visit>
void forEachWindow(const QJsonObject &entry, Visit visit)
{
    const QString id = JsonFields::string(entry.value(QStringLiteral("id")));
    const QJsonArray windows = JsonFields::array(entry.value(QStringLiteral("windows")));
    const QStringList keys = UsageTrends::windowKeys(windows);
    for (qsizetype index = 0; index < windows.size(); ++index)
        visit(id, keys[index], windows[index]);
}

QList<UsageHistory::Reading> readingsOf(const QJsonArray &providers)
{
    QList<UsageHistory::Reading> readings;
    for (const QJsonValue &value : providers) {
        const QJsonObject entry = JsonFields::object(value);
        if (!isOk(entry))
            continue;
        forEachWindow(entry, [&](const QString &id, const QString &key, const QJsonValue &window) {
            if (const std::optional<UsageHistory::Reading> reading = readingOf(id, key, JsonFields::object(window)))
                readings.append(*reading);
        });
    }
    return readings;
}

QString outlookName(BurnRateForecast::Outlook outlook)
{
    switch (outlook) {
    case BurnRateForecast::Outlook::RunsOut:
        return QStringLiteral("runsOut");
    case BurnRateForecast::Outlook::LastsUntilReset:
        return QStringLiteral("lastsUntilReset");
    case BurnRateForecast::Outlook::Unknown:
        break;
    }
    return QString();
}

QJsonObject withTrend(QJsonObject window, const QString &provider, const QString &key, const UsageHistory &history,
                      double now)
{
    const std::optional<UsageHistory::Reading> reading = readingOf(provider, key, window);
    if (!reading)
        return UsageTrends::withoutTrend(std::move(window));
    const QList<BurnRateForecast::Sample> samples = history.samples(provider, reading->window);
    const BurnRateForecast::Result result = BurnRateForecast::forecast(samples, reading->resetsAt, now);
    const QString outlook = outlookName(result.outlook);
    window.insert(runsOutAtKey, result.runsOutAt ? QJsonValue(*result.runsOutAt) : QJsonValue(QJsonValue::Null));
    window.insert(outlookKey, outlook.isEmpty() ? QJsonValue(QJsonValue::Null) : QJsonValue(outlook));
    window.insert(seriesKey, BurnRateForecast::series(BurnRateForecast::currentRun(samples, now), now));
    return window;
}

template<typename Annotate>
QJsonArray mapWindows(const QJsonArray &providers, Annotate annotate)
{
    QJsonArray mapped;
    for (const QJsonValue &value : providers) {
        QJsonObject entry = JsonFields::object(value);
        if (!entry.contains(QStringLiteral("windows")) || !value.isObject()) {
            mapped.append(value);
            continue;
        }
        QJsonArray windows;
        forEachWindow(entry, [&](const QString &id, const QString &key, const QJsonValue &window) {
            windows.append(window.isObject() ? QJsonValue(annotate(id, key, window.toObject())) : window);
        });
        entry.insert(QStringLiteral("windows"), windows);
        mapped.append(entry);
    }
    return mapped;
}

// What befell the history (started afresh, or not written) is told once, as it happens, on the
// desktop: nothing else would show it.
QCoro::Task<> tell(QString title, QString notice)
{
    QCoro::Task<bool> showing =
        DesktopNotifications::show({std::move(title), std::move(notice), QStringLiteral("app.tessarine.Tessarine")});
    co_await std::move(showing);
}

} // namespace

std::optional<QString> UsageTrends::chosenDatabase()
{
    if (!UsageHistory::isEnabled())
        return std::nullopt;
    return UsageHistory::defaultFile();
}

QJsonObject UsageTrends::withoutTrend(QJsonObject window)
{
    window.insert(runsOutAtKey, QJsonValue(QJsonValue::Null));
    window.insert(outlookKey, QJsonValue(QJsonValue::Null));
    window.insert(seriesKey, QJsonArray());
    return window;
}

QJsonArray UsageTrends::withoutTrends(const QJsonArray &providers)
{
    return mapWindows(providers, [](const QString &, const QString &, QJsonObject window) {
        return withoutTrend(std::move(window));
    });
}

QStringList UsageTrends::windowKeys(const QJsonArray &windows)
{
    QStringList keys;
    QHash<QString, int> places; // by limit
    for (const QJsonValue &value : windows) {
        const QJsonObject window = JsonFields::object(value);
        const QString limit = JsonFields::string(window.value(QStringLiteral("limit")));
        const int place = places[limit]++;
        const std::optional<double> minutes = JsonFields::number(window.value(QStringLiteral("minutes")));
        const QString length = minutes && *minutes > 0 ? QString(QString::number(*minutes) + QLatin1Char('m'))
                                                       : QString(QLatin1Char('#') + QString::number(place));
        QString key = limit + QLatin1Char('/') + length;
        // Two windows of one limit and one length still keep apart.
        if (keys.contains(key))
            key += QLatin1Char('#') + QString::number(place);
        keys.append(key);
    }
    return keys;
}

UsageTrends::Outcome UsageTrends::annotateNow(const QJsonArray &providers, const QDateTime &now,
                                              const std::optional<QString> &databaseFile, QDeadlineTimer deadline)
{
    const QMutexLocker lock(&sessionLock());
    if (!databaseFile) {
        UsageHistory::forget(UsageHistory::defaultFile());
        return {withoutTrends(providers), QString(), QString()};
    }
    UsageHistory history(*databaseFile, deadline);
    const double seconds = secondsOf(now);
    history.record(readingsOf(providers), seconds);
    const QJsonArray annotated = mapWindows(providers, [&](const QString &id, const QString &key, QJsonObject window) {
        return withTrend(std::move(window), id, key, history, seconds);
    });
    return {annotated, history.notice(), history.noticeTitle()};
}

QCoro::Task<UsageTrends::Outcome> UsageTrends::annotate(QJsonArray providers, QDateTime now,
                                                        std::optional<QString> databaseFile)
{
    // Pages without plan windows leave the history as it is (and make none).
    if (readingsOf(providers).isEmpty())
        co_return Outcome{withoutTrends(providers), QString(), QString()};
    // The work stops itself when the wait for it ends.
    const QDeadlineTimer deadline(bound);
    std::function<Outcome()> work = [providers, now, databaseFile, deadline] {
        return annotateNow(providers, now, databaseFile, deadline);
    };
    // The call is made apart from the co_await: GCC 12 mishandles temporaries built inside one.
    // One history session at a time; one that overran leaves the pages without trends until it ends.
    static BoundedWork historySessions;
    QCoro::Task<std::optional<Outcome>> working = historySessions.run<Outcome>(std::move(work), bound);
    const std::optional<Outcome> outcome = co_await std::move(working);
    if (!outcome)
        co_return Outcome{withoutTrends(providers), QString(), QString()};
    if (!outcome->notice.isEmpty())
        tell(outcome->noticeTitle, outcome->notice);
    co_return *outcome;
}
