// SPDX-License-Identifier: GPL-3.0-or-later
#include "SubscriptionStatusText.h"

#include <QLocale>

namespace {

QString when(const QDateTime &time)
{
    return QLocale(QStringLiteral("en_GB")).toString(time.toLocalTime(), QStringLiteral("d MMM, HH:mm"));
}

} // namespace

namespace SubscriptionStatusText {

QString of(const CalendarSubscription &subscription, const CalendarSubscriptionState &state)
{
    if (!subscription.enabled)
        return QStringLiteral("Switched off");
    if (state.failing()) {
        const QString shown = state.fetchedAt.isValid()
                                  ? QStringLiteral("Showing the copy from %1.").arg(when(state.fetchedAt))
                                  : QStringLiteral("Nothing to show yet.");
        return QStringLiteral("Could not be fetched since %1: %2. %3")
            .arg(when(state.failingSince), state.problem, shown);
    }
    if (state.fetchedAt.isValid())
        return QStringLiteral("Updated %1").arg(when(state.fetchedAt));
    return QStringLiteral("Fetched at the next refresh");
}

} // namespace SubscriptionStatusText
