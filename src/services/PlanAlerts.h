// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PlanAlert.h"
#include "PlanAlertLedger.h"
#include "RunOutLedger.h"

#include <QCoroTask>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <chrono>
#include <optional>

class AlertClock;
class QFileSystemWatcher;

// Warns before an AI plan runs out: when a window of a chosen provider reaches 80 % and again at
// 95 %, one desktop notification, once per threshold and reset period (see PlanAlertLedger).
// It is given the provider entries of each refresh's data document, and between refreshes it
// watches Claude Code's status-line report, which changes with every prompt, reading it at most
// once every 30 seconds. Besides, a window whose forecast ("runsOutAt", see UsageTrends) first
// comes within an hour, before its reset, warns once per reset period (see RunOutLedger); the
// readings of the report go into the usage history for that forecast. Nothing here refreshes or
// draws anything. Lives on the GUI thread.
class PlanAlerts : public QObject
{
    Q_OBJECT

public:
    static constexpr std::chrono::milliseconds claudeReportInterval{30000};
    // A report is read this long after it changed, so a writer that truncates the file and then
    // writes it is read once, whole.
    static constexpr std::chrono::milliseconds claudeReportSettle{250};

    // What was alerted is kept in `ledgerFile`.
    explicit PlanAlerts(const QString &ledgerFile = PlanAlertLedger::defaultFile(), QObject *parent = nullptr);
    ~PlanAlerts() override;

    // Turning alerts on, or choosing Claude, reads the watched report soon after.
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled);
    // The providers the user has chosen; only these alert.
    QStringList providers() const { return m_providers; }
    void setProviders(const QStringList &providers);

    // Checks the provider entries of a data document ("ai" → "providers").
    void checkDocument(const QJsonObject &document, const QDateTime &now = QDateTime::currentDateTimeUtc());
    // Checks provider entries: every window of an "ok" entry of a chosen provider.
    void checkEntries(const QJsonArray &entries, const QDateTime &now = QDateTime::currentDateTimeUtc());

    // Starts watching Claude Code's report file (also through its folder, so a report that is
    // created, or replaced by renaming a new file over it, is seen), and reads the report there
    // is now.
    void watchClaudeReport();
    // The shortest time between two readings of the report; claudeReportInterval unless changed.
    void setClaudeReportInterval(std::chrono::milliseconds interval) { m_claudeInterval = interval; }
    // Reads the report and checks its windows now, whatever the interval.
    void checkClaudeReport();
    // Spaces the readings by `clock` (which this takes) instead of the steady clock.
    void setClock(AlertClock *clock);

    const PlanAlertLedger &ledger() const { return m_ledger; }
    const RunOutLedger &runOutLedger() const { return m_runOutLedger; }
    // Whether a notification is waiting for the service's answer.
    bool isDelivering() const { return !m_pending.isEmpty(); }

Q_SIGNALS:
    // A window has crossed a threshold its period has not alerted yet; the notification follows.
    void due(const PlanAlert &alert);
    // The notification service has taken the alert (and the ledger has recorded it).
    void delivered(const PlanAlert &alert);
    // Claude Code's report was read for a check.
    void claudeReportChecked();

private:
    // What tells one state of the report file from another: a file replaced by rename has a new
    // inode, one rewritten in place a new modification time (nanoseconds) or size.
    struct Fingerprint
    {
        bool exists = false;
        quint64 inode = 0;
        qint64 size = -1;
        qint64 modifiedNs = 0;
        qint64 changedNs = 0;
        bool operator==(const Fingerprint &other) const = default;
    };

    void checkEntry(const QJsonObject &entry, const QDateTime &now);
    // The run-out warning (PlanAlertsRunOut.cpp).
    void checkRunOut(const QJsonObject &entry, const QJsonObject &window, const PlanAlertLedger::Reading &reading,
                     const QDateTime &now);
    void checkRunOuts(const QJsonObject &entry, const QDateTime &now);
    QCoro::Task<> checkClaudeTrend(QJsonObject entry, QDateTime now);
    void recordDelivered(const PlanAlert &alert);
    QCoro::Task<> deliver(PlanAlert alert);
    static QString logoFile(const QString &logo);
    static QString pendingKey(const PlanAlert &alert);

    void claudeReportChanged();
    void scheduleClaudeCheck();
    void watchNewClaudeReport();
    Fingerprint claudeReportFingerprint() const;
    bool claudeWanted() const;
    void followChoice(bool claudeWasWanted);

    PlanAlertLedger m_ledger;
    RunOutLedger m_runOutLedger;
    bool m_enabled = true;
    QStringList m_providers;
    QSet<QString> m_pending; // alerts handed to the service and not yet answered

    QFileSystemWatcher *m_watcher = nullptr;
    QString m_claudeReport;
    Fingerprint m_claudeSeen;
    std::chrono::milliseconds m_claudeInterval = claudeReportInterval;
    std::optional<std::chrono::milliseconds> m_claudeCheckedAt; // on m_clock
    AlertClock *m_clock = nullptr;
};
