// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/CalendarSubscription.h"

#include <QString>

// The line under a subscription in the calendar settings: when it was last fetched or, while its
// fetches fail, since when and why, and which copy is shown meanwhile.
namespace SubscriptionStatusText {

QString of(const CalendarSubscription &subscription, const CalendarSubscriptionState &state);

} // namespace SubscriptionStatusText
