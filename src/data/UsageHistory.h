// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "BurnRateForecast.h"

#include <QDeadlineTimer>
#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <optional>

struct sqlite3;

// The readings of every plan window, kept on this computer in a small SQLite database so a pace of
// use can be told: at most one sample a minute per window, none older than eight days, and a
// window's samples start afresh when its reset period changes. Each recording is one transaction.
// Nothing here leaves the computer. Synchronous: callers keep it off the GUI thread (see
// UsageTrends).
//
// A window is known by a stable key the caller gives it (see UsageTrends::windowKeys), never by
// its label alone: labels repeat. Histories of an earlier make, kept by label, lose those
// readings once and start afresh.
//
// Every statement stops when the session's deadline passes (a progress handler, and a wait for
// another program's lock that never outlasts it), so neither a huge file nor a trigger of someone
// else's can keep a core busy after the refresh stopped waiting.
//
// A database that is damaged, not a file at all or holds tables, views or triggers of another
// program is set aside and started anew, with a plain notice saying where the old one is; the
// copies set aside are kept, numbered, the oldest removed past keptCopies. A lock held by another
// program is waited out and tried again at the next recording; only a file still locked then is
// set aside. A file that refuses writes (read-only, a full disk) is left as it is and said so once.
class UsageHistory
{
public:
    struct Reading
    {
        QString provider; // provider id, such as "claude"
        QString window;   // the window's key among the provider's windows, such as "/300m"
        double usedPercent = 0;
        std::optional<double> resetsAt; // seconds since 1970
    };

    static constexpr std::chrono::seconds keptFor{8 * 24 * 3600};
    static constexpr std::chrono::seconds sampleSpacing{60};
    // Reset times a provider reports for one period may wobble by a few seconds.
    static constexpr std::chrono::seconds sameResetTolerance{600};
    // The most samples a window's query returns, newest first: more than eight days at one a
    // minute, so only a file written by something else ever reaches it.
    static constexpr int mostSamplesRead = 12000;
    static constexpr int keptCopies = 3;

    // <Application Support>/Tessarine/usage-history.sqlite
    static QString defaultFile();
    // The copies set aside so far, oldest first ("<file>.damaged" of earlier makes, then
    // "<file>.damaged.1", "<file>.damaged.2", …).
    static QStringList setAsideFiles(const QString &file);
    // The history is kept unless the defaults store says "usageHistory=false".
    static bool isEnabled();
    // Removes the database and any copy set aside, for a history that has been turned off.
    static void forget(const QString &file);

    // Opens `file`, creating it (and its folder) when missing, or setting it aside when unusable.
    // Work on the database ends when `deadline` expires.
    explicit UsageHistory(QString file, QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));
    ~UsageHistory();
    UsageHistory(const UsageHistory &) = delete;
    UsageHistory &operator=(const UsageHistory &) = delete;

    bool isOpen() const { return m_database != nullptr; }
    // What the user should be told about the history, such as that it was set aside; empty when
    // all is well. The title fits a desktop notification.
    QString notice() const { return m_notice; }
    QString noticeTitle() const { return m_noticeTitle; }

    // Records readings taken at `now` (seconds since 1970) in one transaction and drops samples
    // older than keptFor. A database found damaged meanwhile is set aside and the readings are
    // recorded in a new one. False when nothing could be recorded.
    bool record(const QList<Reading> &readings, double now);

    // The latest samples (at most mostSamplesRead) of the window's current period, in the order
    // they were recorded.
    QList<BurnRateForecast::Sample> samples(const QString &provider, const QString &window) const;

private:
    enum class Failure
    {
        None,
        Damaged,    // set aside and started afresh
        Locked,     // another program holds it
        Unwritable, // read-only, a full disk, a failing one
        TooSlow,    // the deadline passed
    };

    Failure open();
    Failure prepare();
    void close();
    // Deals with a failure; true when a fresh database is open and the work may be tried again.
    bool recover(Failure failure);
    void setAside(const QString &reason);
    Failure recordOnce(const QList<Reading> &readings, double now);
    bool recordReading(const Reading &reading, double now);
    bool execute(const char *sql) const;
    Failure lastFailure() const;
    void restrictModes() const;

    QString m_file;
    QDeadlineTimer m_deadline;
    QString m_notice;
    QString m_noticeTitle;
    sqlite3 *m_database = nullptr;
    int m_lastCode = 0; // SQLite's code of the last failure
};
