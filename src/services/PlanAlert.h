// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QMetaType>
#include <QString>
#include <optional>

// One plan window that has crossed an alert threshold: what the notification says about it.
struct PlanAlert
{
    QString provider;               // provider id, such as "claude"
    QString name;                   // the provider's name as shown, such as "Claude"
    QString logo;                   // the provider's logo name, such as "claude"
    QString window;                 // the window's label, such as "5-hour" or "This week"
    double usedPercent = 0;         // as the provider reported it
    std::optional<double> resetsAt; // seconds since 1970
    int threshold = 0;              // the percentage crossed: 80 or 95; 0 for a run-out alert
    // Set for the alert that the window runs out before its reset at the recent pace: when it
    // reaches 100 % (seconds since 1970).
    std::optional<double> runsOutAt = std::nullopt;

    // "Claude · 5-hour window at 82 %".
    QString summary() const;
    // The notification's headline: summary(), or for a run-out alert "Claude · 5-hour window runs
    // out at about 15:40 at this pace, 1 h 20 min before it resets" ("about Thu 14:00" when not
    // today, local time, to the nearest five minutes).
    QString headline(const QDateTime &now) const;
    // "40 min", "1 h 20 min", "2 h", "1 day 3 h", "2 days", to the nearest minute.
    static QString duration(double seconds);
    // "resets 14:30" for a reset later today (local time), "resets 09:00 · Mon 14 Dec" for a later
    // day; empty when the provider gave no reset time.
    QString body(const QDateTime &now) const;
    // The window named the way a sentence reads it: "5-hour window", "weekly window".
    QString windowPhrase() const;

    bool operator==(const PlanAlert &other) const = default;
};

Q_DECLARE_METATYPE(PlanAlert)
