// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoro/QCoroTask>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

// Puts each plan window's trend into the provider entries of the data document: it records the
// windows of every "ok" entry in the usage history (UsageHistory) as read at the refresh time, and
// gives every window
//   "runsOutAt": seconds since 1970 when the window reaches 100 % before its reset at the recent
//                pace, else null;
//   "outlook":   "runsOut", "lastsUntilReset", or null when the history is too short to tell;
//   "series":    the window's use since its period began, a short list of percentages (may be empty).
// The database work runs on a thread of its own and is waited for a bounded time, so a slow or
// damaged database never holds up a refresh: windows it could not serve get no trend. The work
// itself stops when that time is up, so nothing of it goes on after the refresh.
class UsageTrends
{
public:
    static constexpr std::chrono::milliseconds bound{4000};

    struct Outcome
    {
        QJsonArray providers;
        // A plain notice for the user (the history was set aside and started afresh); else empty.
        // annotate() also shows it as a desktop notification.
        QString notice;
        QString noticeTitle;
    };

    UsageTrends() = delete;

    // `databaseFile` none means the history is turned off: nothing is recorded, windows get no
    // trend, and what was kept is removed.
    static QCoro::Task<Outcome> annotate(QJsonArray providers, QDateTime now, std::optional<QString> databaseFile);
    // The same work on the calling thread, given up when `deadline` expires.
    static Outcome annotateNow(const QJsonArray &providers, const QDateTime &now,
                               const std::optional<QString> &databaseFile,
                               QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));

    // The keys the history knows a provider's windows by, in the windows' order: the limit a
    // window belongs to ("limit", empty for the provider's only or default one) with its length
    // ("minutes") where known, else its place among that limit's windows. Labels repeat between
    // windows (two Codex windows may both be "1-hour"), so they are no part of it.
    static QStringList windowKeys(const QJsonArray &windows);

    // The database the history is kept in, or none when it is turned off.
    static std::optional<QString> chosenDatabase();

    // The window with no trend: "runsOutAt" and "outlook" null, "series" empty.
    static QJsonObject withoutTrend(QJsonObject window);
    // Every window of every entry without trend.
    static QJsonArray withoutTrends(const QJsonArray &providers);
};
