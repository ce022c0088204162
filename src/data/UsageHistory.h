// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BurnRateForecast.h"

#include <QList>
#include <QString>
#include <chrono>
#include <optional>

struct sqlite3;

// The readings of every plan window, kept on this computer in a small SQLite database so a pace of
// use can be told: at most one sample a minute per window, none older than eight days, and a
// window's samples start afresh when its reset period changes. Each recording is one transaction.
// A database that is damaged, locked by another program or not a file at all is set aside (renamed
// with ".damaged" added) and started anew, with a plain notice saying so. Nothing here leaves the
// computer. Synchronous: callers keep it off the GUI thread (see UsageTrends).
class UsageHistory
{
public:
    struct Reading
    {
        QString provider; // provider id, such as "claude"
        QString window;   // the window's label, such as "5-hour"
        double usedPercent = 0;
        std::optional<double> resetsAt; // seconds since 1970
    };

    static constexpr std::chrono::seconds keptFor{8 * 24 * 3600};
    static constexpr std::chrono::seconds sampleSpacing{60};
    // Reset times a provider reports for one period may wobble by a few seconds.
    static constexpr std::chrono::seconds sameResetTolerance{600};

    // <Application Support>/Tessarine/usage-history.sqlite
    static QString defaultFile();
    // Where a database that had to be set aside goes.
    static QString setAsideFile(const QString &file);
    // The history is kept unless the defaults store says "usageHistory=false".
    static bool isEnabled();
    // Removes the database and any copy set aside, for a history that has been turned off.
    static void forget(const QString &file);

    // Opens `file`, creating it (and its folder) when missing, or setting it aside when unusable.
    explicit UsageHistory(QString file);
    ~UsageHistory();
    UsageHistory(const UsageHistory &) = delete;
    UsageHistory &operator=(const UsageHistory &) = delete;

    bool isOpen() const { return m_database != nullptr; }
    // What the user should be told about the history, such as that it was set aside; empty when
    // all is well.
    QString notice() const { return m_notice; }

    // Records readings taken at `now` (seconds since 1970) in one transaction and drops samples
    // older than keptFor. A database found damaged meanwhile is set aside and the readings are
    // recorded in a new one. False when nothing could be recorded.
    bool record(const QList<Reading> &readings, double now);

    // The samples of the window's current period, in the order they were recorded.
    QList<BurnRateForecast::Sample> samples(const QString &provider, const QString &window) const;

private:
    enum class Failure
    {
        None,
        Unusable,
        Other
    };

    Failure open();
    void close();
    void setAside(const QString &reason);
    Failure recordOnce(const QList<Reading> &readings, double now);
    bool recordReading(const Reading &reading, double now);
    bool execute(const char *sql) const;
    static QString reasonOf(int code);

    QString m_file;
    QString m_notice;
    sqlite3 *m_database = nullptr;
    int m_lastCode = 0; // SQLite's code of the last failure
};
