// SPDX-License-Identifier: GPL-3.0-or-later
// The plan alerts' warning that a window runs out before its reset at the recent pace.
#include "PlanAlerts.h"

#include "data/JsonFields.h"
#include "data/UsageTrends.h"

#include <QPointer>

void PlanAlerts::checkRunOut(const QJsonObject &entry, const QJsonObject &window,
                             const PlanAlertLedger::Reading &reading, const QDateTime &now)
{
    const std::optional<double> runsOutAt = JsonFields::number(window.value(QStringLiteral("runsOutAt")));
    if (!runsOutAt || !m_runOutLedger.due(reading.provider, reading.window, *runsOutAt, reading.resetsAt, now))
        return;
    PlanAlert alert{reading.provider,
                    JsonFields::string(entry.value(QStringLiteral("name")), reading.provider),
                    JsonFields::string(entry.value(QStringLiteral("logo"))),
                    reading.window,
                    reading.usedPercent,
                    reading.resetsAt,
                    0,
                    runsOutAt};
    if (m_pending.contains(pendingKey(alert)))
        return;
    Q_EMIT due(alert);
    deliver(alert);
}

// Only what the user was shown counts as alerted, each kind in its own record.
void PlanAlerts::recordDelivered(const PlanAlert &alert)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    if (alert.runsOutAt && alert.resetsAt)
        m_runOutLedger.record(alert.provider, alert.window, *alert.resetsAt, now);
    else
        m_ledger.record({alert.provider, alert.window, alert.usedPercent, alert.resetsAt}, alert.threshold, now);
}

QCoro::Task<> PlanAlerts::checkClaudeTrend(QJsonObject entry, QDateTime now)
{
    // Claude Code's report changes with every prompt, far more often than refreshes come: its
    // readings make the pace worth telling between them.
    const QPointer<PlanAlerts> self(this);
    QJsonArray entries;
    entries.append(entry);
    // The call is made apart from the co_await: GCC 12 mishandles temporaries built inside one.
    QCoro::Task<UsageTrends::Outcome> annotating =
        UsageTrends::annotate(std::move(entries), now, UsageTrends::chosenDatabase());
    const UsageTrends::Outcome trends = co_await std::move(annotating);
    if (self && m_enabled && !trends.providers.isEmpty())
        checkRunOuts(trends.providers.first().toObject(), now);
}

void PlanAlerts::checkRunOuts(const QJsonObject &entry, const QDateTime &now)
{
    using namespace JsonFields;
    const QString id = string(entry.value(QStringLiteral("id")));
    if (!m_providers.contains(id))
        return;
    for (const QJsonValue &value : array(entry.value(QStringLiteral("windows")))) {
        const QJsonObject window = object(value);
        const std::optional<double> used = number(window.value(QStringLiteral("usedPercent")));
        if (used)
            checkRunOut(entry, window,
                        {id, string(window.value(QStringLiteral("label"))), *used,
                         number(window.value(QStringLiteral("resetsAt")))},
                        now);
    }
}
