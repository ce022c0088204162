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
    int threshold = 0;              // the percentage crossed: 80 or 95

    // "Claude · 5-hour window at 82 %".
    QString summary() const;
    // "resets 14:30" for a reset later today (local time), "resets 09:00 · Mon 14 Dec" for a later
    // day; empty when the provider gave no reset time.
    QString body(const QDateTime &now) const;
    // The window named the way a sentence reads it: "5-hour window", "weekly window".
    QString windowPhrase() const;

    bool operator==(const PlanAlert &other) const = default;
};

Q_DECLARE_METATYPE(PlanAlert)
