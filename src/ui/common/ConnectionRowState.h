// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "services/ConnectionStatus.h"

#include <QString>

// What one row of the connections window or the welcome flow shows: its status, the line of
// detail under it, and which control belongs at its end. Titles, marks and the drawing of the
// controls are the window's.
struct ConnectionRowState
{
    enum class Action
    {
        none,
        setUpClaude,          // "Set Up"
        removeClaude,         // "Remove"
        deviceCode,           // the code, "Copy Code and Open GitHub" and "Cancel"
        signOut,              // "Sign Out"
        signIn,               // "Sign In…"
        gitHubCliCopyCommand, // the GitHub CLI help while the CLI is installed ("Copy Command")
        gitHubCliInstall,     // the GitHub CLI help while it is not ("Get GitHub CLI")
        allowCalendar,        // "Allow…"
        openPrivacySettings,  // "Open Privacy Settings"
    };

    ConnectionRowState() = default;
    ConnectionRowState(ConnectionStatus rowStatus, const QString &rowDetail, Action rowAction = Action::none)
        : status(rowStatus)
        , detail(rowDetail)
        , action(rowAction)
    {}

    ConnectionStatus status = ConnectionStatus::notFound;
    QString detail;
    Action action = Action::none;

    bool operator==(const ConnectionRowState &other) const = default;
};
