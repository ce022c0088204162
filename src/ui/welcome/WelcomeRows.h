// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/Provider.h"
#include "platform/CalendarStore.h"
#include "ui/common/ConnectionRowState.h"
#include "ui/common/ConnectionRows.h"

#include <QList>
#include <QString>
#include <optional>

class ConnectionsState;

// What the welcome flow's GitHub row, tool rows and calendar line say, as pure functions of what
// was found. The welcome flow has texts of its own: it speaks to a newcomer, offers no Cancel
// while GitHub waits, and lets a failed sign-in read as signed out so that the user simply tries
// again (the failure itself is told in the connections window).
class WelcomeRows
{
public:
    // One AI tool on the tools step.
    struct Tool
    {
        QString id;    // provider id: "claude", "codex", "grok", "gemini", "wispr"
        QString title; // "Claude", "Codex (ChatGPT)", …
        QString logo;  // shipped logo name
        bool found = false;
        QString detail;
        bool offersSetUp = false; // Claude Code is there but its status line is not set up

        bool operator==(const Tool &other) const = default;
    };

    WelcomeRows() = delete;

    // Status, detail and control of the GitHub row. Its controls are the device code (without
    // Cancel), "Sign In…", or the GitHub CLI help.
    static ConnectionRowState gitHub(const ConnectionRows::GitHubSignIn &signIn, const std::optional<QString> &cliLogin,
                                     bool hasClientId, bool cliFound);

    // One tool a provider, in the providers table's order.
    static QList<Tool> tools(const ConnectionsState &state);
    // A provider's tool row, worded after the source its row in the providers table names.
    static Tool tool(const Provider &provider, const ConnectionsState &state);
    static Tool claude(const Provider &provider, const ClaudeSetup::Status &status);
    // Any other provider: found or "Not installed."
    static Tool other(const Provider &provider, bool found);

    // The calendar line's text; none while the user has not been asked, when the line offers
    // "Allow Calendar Access…" instead.
    static std::optional<QString> calendarText(CalendarStore::Authorization authorization);
};
