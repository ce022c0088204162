// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <chrono>
#include <optional>

// Which plan windows have already warned, in their current reset period, that they run out before
// the reset at the recent pace; kept in a small JSON file beside the threshold alerts' record so a
// restart does not warn again:
//   {"claude": {"5-hour": 1767225600}, …}   (the period's reset time)
// Only a window with a known reset time warns: the warning is about running out before it.
class RunOutLedger
{
public:
    // The warning comes when the forecast first falls within this of running out.
    static constexpr std::chrono::seconds lead{3600};
    static constexpr std::chrono::seconds sameResetTolerance{600};

    // "plan-run-out-alerts.json" in the folder of the threshold alerts' file.
    static QString fileBeside(const QString &planAlertsFile);

    // Reads `file`; a missing or malformed file means nothing was warned yet.
    explicit RunOutLedger(QString file);

    // Whether a window that runs out at `runsOutAt` should warn now: before its reset, within
    // `lead` of `now`, and not yet warned in this period.
    bool due(const QString &provider, const QString &window, double runsOutAt, std::optional<double> resetsAt,
             const QDateTime &now) const;
    // Notes the warning for the period ending at `resetsAt` and writes the file atomically. False
    // when the file could not be written (the ledger still remembers).
    bool record(const QString &provider, const QString &window, double resetsAt, const QDateTime &now);

    QString file() const { return m_file; }

private:
    static QString key(const QString &provider, const QString &window);
    void load();
    bool save(double now) const;

    QString m_file;
    QHash<QString, double> m_warned; // reset time of the warned period, by provider and window
};
