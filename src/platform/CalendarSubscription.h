// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// A calendar the user subscribed to by its address. Only the id, the name and the switch are kept
// in the defaults store; the address itself is a credential (whoever has it can read the calendar)
// and lives in the keyring alone.
struct CalendarSubscription
{
    QString id;   // a UUID without braces; names the keyring item and the cached copy
    QString name; // the user's name for it, never empty
    bool enabled = true;

    bool operator==(const CalendarSubscription &other) const = default;
};

// What the last fetches of a subscription left behind, kept beside its cached copy.
struct CalendarSubscriptionState
{
    QByteArray etag; // validators of the cached copy, for conditional requests
    QByteArray lastModified;
    QDateTime fetchedAt;    // the last time the server answered with a good calendar or 304
    QDateTime failingSince; // invalid while fetches succeed
    QString problem;        // why the last fetch failed; empty while fetches succeed

    bool failing() const { return failingSince.isValid(); }
    bool operator==(const CalendarSubscriptionState &other) const = default;
};
