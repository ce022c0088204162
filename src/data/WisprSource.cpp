// SPDX-License-Identifier: GPL-3.0-or-later
#include "WisprSource.h"

#include "GitHubSource.h"
#include "platform/BoundedWork.h"
#include "platform/Paths.h"

#include <QFileInfo>
#include <QJsonObject>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <memory>
#include <sqlite3.h>

namespace {

constexpr qint64 secondsPerDay = 86400;

QJsonObject stat(const QString &label, qint64 value, const QString &sub)
{
    return QJsonObject{{QStringLiteral("label"), label},
                       {QStringLiteral("value"), value},
                       {QStringLiteral("format"), QStringLiteral("count")},
                       {QStringLiteral("sub"), sub}};
}

// Rounds half away from zero; a rate beyond any real speed (a near-zero duration) is capped
// instead of overflowing.
qint64 roundedRate(double rate)
{
    return static_cast<qint64>(std::round(std::clamp(rate, -1e15, 1e15)));
}

// Closes the database however reading ends.
struct CloseDatabase
{
    void operator()(sqlite3 *database) const { sqlite3_close(database); }
};

struct FinalizeStatement
{
    void operator()(sqlite3_stmt *statement) const { sqlite3_finalize(statement); }
};

// Called by SQLite every few thousand steps of a query; a non-zero answer stops it.
int stopWhenLate(void *deadline)
{
    return static_cast<const QDeadlineTimer *>(deadline)->hasExpired() ? 1 : 0;
}

// How often (in virtual machine steps) SQLite asks: often enough to stop within milliseconds.
constexpr int progressSteps = 1000;

} // namespace

const char *const WisprSource::query =
    "SELECT date(timestamp, 'localtime') AS day, SUM(numWords), SUM(duration), COUNT(*) FROM History "
    "WHERE numWords > 0 AND timestamp >= date('now', '-60 days') GROUP BY day ORDER BY day";

QString WisprSource::databasePath()
{
    return Paths::applicationSupport() + QStringLiteral("/Wispr Flow/flow.sqlite");
}

QString WisprSource::unavailableReason()
{
    return unavailableReason(databasePath());
}

QString WisprSource::unavailableReason(const QString &databasePath)
{
    if (QFileInfo::exists(databasePath))
        return QStringLiteral("Wispr Flow\u2019s database could not be read");
    return QStringLiteral("Wispr Flow is not installed on this computer");
}

std::optional<QJsonArray> WisprSource::stats(const QDateTime &now)
{
    return stats(now, databasePath());
}

std::optional<QJsonArray> WisprSource::stats(const QDateTime &now, const QString &databasePath)
{
    return read(now, databasePath).stats;
}

QString WisprSource::tooSlowReason(std::chrono::milliseconds bound)
{
    const qint64 seconds = std::chrono::duration_cast<std::chrono::seconds>(bound).count();
    if (seconds < 2)
        return QStringLiteral("Wispr Flow\u2019s database took too long to read");
    return QStringLiteral("Wispr Flow\u2019s database took longer than %1 seconds to read").arg(seconds);
}

WisprSource::Reading WisprSource::read(const QDateTime &now, const QString &databasePath,
                                       std::chrono::milliseconds bound)
{
    if (!QFileInfo(databasePath).isFile())
        return {std::nullopt, unavailableReason(databasePath)};
    bool tooSlow = false;
    const std::optional<QHash<QString, Day>> days = readDays(databasePath, QDeadlineTimer(bound), &tooSlow);
    if (tooSlow)
        return {std::nullopt, tooSlowReason(bound)};
    if (!days)
        return {std::nullopt, unavailableReason(databasePath)};
    return {statsFromDays(*days, now), QString()};
}

QCoro::Task<WisprSource::Reading> WisprSource::readInBackground(QDateTime now, QString databasePath,
                                                                std::chrono::milliseconds bound)
{
    // The query stops itself at the bound; the wait allows a little more for opening and closing,
    // and a worker still busy after that is left to end on its own; until it has, a new reading
    // is too slow at once.
    // The work is made apart from the co_await: GCC 12 destroys a temporary argument built inside
    // a co_await expression twice.
    std::function<Reading()> work = [now, databasePath, bound] { return read(now, databasePath, bound); };
    static BoundedWork databaseReads;
    QCoro::Task<std::optional<Reading>> waiting =
        databaseReads.run<Reading>(std::move(work), bound + std::chrono::seconds(2));
    const std::optional<Reading> reading = co_await std::move(waiting);
    co_return reading.value_or(Reading{std::nullopt, tooSlowReason(bound)});
}

QByteArray WisprSource::databaseUri(const QString &databasePath)
{
    const QUrl url = QUrl::fromLocalFile(QFileInfo(databasePath).absoluteFilePath());
    return url.toEncoded(QUrl::FullyEncoded) + "?mode=ro";
}

std::optional<QHash<QString, WisprSource::Day>> WisprSource::readDays(const QString &databasePath)
{
    bool tooSlow = false;
    return readDays(databasePath, QDeadlineTimer(defaultQueryBound), &tooSlow);
}

std::optional<QHash<QString, WisprSource::Day>> WisprSource::readDays(const QString &databasePath,
                                                                      const QDeadlineTimer &deadline, bool *tooSlow)
{
    sqlite3 *opened = nullptr;
    const int openResult = sqlite3_open_v2(databaseUri(databasePath).constData(), &opened,
                                           SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
    std::unique_ptr<sqlite3, CloseDatabase> database(opened);
    if (openResult != SQLITE_OK)
        return std::nullopt;
    // A database Wispr Flow is writing may be locked for a moment; waiting longer is pointless.
    sqlite3_busy_timeout(database.get(), 250);
    sqlite3_progress_handler(database.get(), progressSteps, stopWhenLate, const_cast<QDeadlineTimer *>(&deadline));

    sqlite3_stmt *prepared = nullptr;
    if (sqlite3_prepare_v2(database.get(), query, -1, &prepared, nullptr) != SQLITE_OK) {
        // Preparing reads the schema, which the progress handler may stop as well.
        *tooSlow = sqlite3_errcode(database.get()) == SQLITE_INTERRUPT;
        return std::nullopt;
    }
    std::unique_ptr<sqlite3_stmt, FinalizeStatement> statement(prepared);

    QHash<QString, Day> days;
    int step;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
        if (sqlite3_column_type(statement.get(), 0) == SQLITE_NULL)
            continue;
        const auto *dayText = reinterpret_cast<const char *>(sqlite3_column_text(statement.get(), 0));
        days.insert(QString::fromUtf8(dayText),
                    Day{sqlite3_column_int64(statement.get(), 1), sqlite3_column_double(statement.get(), 2),
                        sqlite3_column_int64(statement.get(), 3)});
    }
    // A read that stopped half-way (a locked or damaged database) would show too few words as
    // if they were all.
    if (step != SQLITE_DONE) {
        *tooSlow = step == SQLITE_INTERRUPT;
        return std::nullopt;
    }
    return days;
}

QJsonArray WisprSource::statsFromDays(const QHash<QString, Day> &days, const QDateTime &now)
{
    const QString todayKey = GitHubSource::dayString(now, false);
    // The local day of the moment exactly 29 × 24 hours back: normally the 30 calendar days
    // ending today, one more just after local midnight in the weeks after a daylight-saving
    // change.
    const QString cutOff = GitHubSource::dayString(now.addSecs(-29 * secondsPerDay), false);

    qint64 words30 = 0;
    double seconds30 = 0;
    for (auto day = days.constBegin(); day != days.constEnd(); ++day) {
        if (day.key() >= cutOff) {
            words30 += day->words;
            seconds30 += day->seconds;
        }
    }
    const qint64 wordsPerMinute = seconds30 > 0 ? roundedRate(static_cast<double>(words30) / (seconds30 / 60.0)) : 0;
    const Day todays = days.value(todayKey);

    const QString dot = QStringLiteral(" \u00B7 ");
    return QJsonArray{
        stat(QStringLiteral("Today"), todays.words,
             QStringLiteral("words") + dot + QString::number(todays.dictations) + QStringLiteral(" dictations")),
        stat(QStringLiteral("Last 30 days"), words30,
             QStringLiteral("words") + dot + QString::number(wordsPerMinute) + QStringLiteral(" wpm") + dot +
                 QString::number(streak(days, now)) + QStringLiteral("-day streak")),
    };
}

qint64 WisprSource::streak(const QHash<QString, Day> &days, const QDateTime &now)
{
    // Steps of exactly 24 hours from now, each taking the local day it lands on. Today without
    // dictation yet does not break the streak. Just after local midnight following a change to
    // summer time a step skips one calendar day, and a 25-hour day may be visited twice.
    const QString todayKey = GitHubSource::dayString(now, false);
    qint64 count = 0;
    for (QDateTime moment = now;; moment = moment.addSecs(-secondsPerDay)) {
        const QString key = GitHubSource::dayString(moment, false);
        if (days.contains(key))
            ++count;
        else if (key != todayKey)
            break;
    }
    return count;
}
