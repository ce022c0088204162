// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>
#include <chrono>
#include <optional>

// Which alert thresholds each plan window has already alerted in its current reset period, kept
// in a small JSON file so a restart does not alert again:
//   {"claude": {"5-hour": {"resetsAt": 1767225600, "threshold": 80}}, …}
// A period ends when its reset time has passed, when the provider reports another reset time
// (a window that rolled over and started again), or, for a window without reset times, when its
// use falls well below the lowest threshold (restartMargin).
class PlanAlertLedger
{
public:
    static constexpr int lowerThreshold = 80;
    static constexpr int upperThreshold = 95;
    // Reset times a provider reports for one period may wobble by a few seconds (some tools
    // report "resets in n seconds"); a real new period starts at least a window's length later.
    static constexpr std::chrono::seconds sameResetTolerance{600};
    // A window without reset times has started again only once its use falls this many points
    // below the lower threshold.
    static constexpr double restartMargin = 10;

    struct Reading
    {
        QString provider;
        QString window;
        double usedPercent = 0;
        std::optional<double> resetsAt;
    };

    // <Application Support>/Tessarine/plan-alerts.json
    static QString defaultFile();

    // Reads `file`; a missing or malformed file means nothing was alerted yet.
    explicit PlanAlertLedger(QString file = defaultFile());

    // The highest threshold the reading has reached that its period has not alerted yet; none
    // when there is nothing new. Forgets the window's record when its period has ended.
    std::optional<int> due(const Reading &reading, const QDateTime &now);
    // Notes that the reading's window alerted `threshold` in the reading's period, and writes the
    // file atomically. False when the file could not be written (the ledger still remembers).
    bool record(const Reading &reading, int threshold, const QDateTime &now);

    // The threshold alerted for the window in its recorded period; none when there is none.
    std::optional<int> alerted(const QString &provider, const QString &window) const;

    QString file() const { return m_file; }

private:
    struct Entry
    {
        std::optional<double> resetsAt;
        int threshold = 0;
    };

    static QString key(const QString &provider, const QString &window);
    static bool samePeriod(const Entry &entry, const Reading &reading, const QDateTime &now);
    static bool hasEnded(const Entry &entry, const QDateTime &now);

    void load();
    bool save(const QDateTime &now) const;

    QString m_file;
    QHash<QString, Entry> m_entries; // keyed by provider and window label
};
