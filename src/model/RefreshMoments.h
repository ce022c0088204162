// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QTimeZone>
#include <chrono>

// The moments at which the pages' data goes out of date on its own: local midnight ("Today",
// "Tomorrow", the date and the countdown change) and the reset of a plan window shown on a
// page (its percentage drops). A refresh is due shortly after each.
class RefreshMoments
{
public:
    // Time for the world to catch up: a plan's server reports the new window a little after the
    // reset, and the midnight refresh must not read the old day.
    static constexpr std::chrono::seconds afterMidnight{10};
    static constexpr std::chrono::seconds afterReset{60};

    // The first moment after `since` at which a refresh is due: just after the next local
    // midnight in `zone`, or just after a plan reset in `planResets` when one comes first.
    static QDateTime next(const QDateTime &since, const QTimeZone &zone, const QList<QDateTime> &planResets);

    // The reset times of every plan window in a data document, earliest first.
    static QList<QDateTime> planResets(const QJsonObject &data);
};
