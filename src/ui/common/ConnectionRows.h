// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ConnectionRowState.h"
#include "kit/Provider.h"
#include "platform/CalendarStore.h"
#include "services/ClaudeSetup.h"
#include "services/GitHubAuthState.h"
#include "services/ProviderEntry.h"

#include <QDateTime>
#include <QString>
#include <QUrl>
#include <optional>

class ConnectionsState;

// The status and detail text of every row of the connections window, as pure functions of what
// was found, so that the window only draws them.
class ConnectionRows
{
public:
    // GitHub's sign-in as the window sees it, in plain values (the sign-in service converts).
    struct GitHubSignIn
    {
        enum class Phase
        {
            signedOut,
            waiting,
            signedIn,
            failed
        };

        Phase phase = Phase::signedOut;
        QString code;    // while waiting: the code the user enters
        QUrl url;        // while waiting: the page to enter it on
        QString login;   // when signed in
        QString message; // when failed

        static GitHubSignIn from(const GitHubAuthState &state);
        static GitHubSignIn signedOut() { return {}; }
        static GitHubSignIn waiting(const QString &code, const QUrl &url)
        {
            GitHubSignIn signIn;
            signIn.phase = Phase::waiting;
            signIn.code = code;
            signIn.url = url;
            return signIn;
        }
        static GitHubSignIn signedIn(const QString &login)
        {
            GitHubSignIn signIn;
            signIn.phase = Phase::signedIn;
            signIn.login = login;
            return signIn;
        }
        static GitHubSignIn failed(const QString &message)
        {
            GitHubSignIn signIn;
            signIn.phase = Phase::failed;
            signIn.message = message;
            return signIn;
        }

        bool operator==(const GitHubSignIn &other) const = default;
    };

    ConnectionRows() = delete;

    // A provider's row, worded after the source its row in the providers table names.
    static ConnectionRowState provider(const Provider &provider, const ConnectionsState &state,
                                       const QDateTime &now = QDateTime::currentDateTime());
    // The GitHub row, from the sign-in and the GitHub CLI the state's probe found.
    static ConnectionRowState gitHub(const GitHubSignIn &signIn, const ConnectionsState &state, bool hasClientId);

    // `entry` is Claude's entry from the last refresh: set up but never reporting, its reason says
    // why (a sign-in that has no plan usage).
    static ConnectionRowState claude(const ClaudeSetup::Status &status, const QDateTime &now,
                                     const std::optional<ProviderEntry> &entry = std::nullopt);
    static ConnectionRowState codex(const std::optional<ProviderEntry> &entry, bool found);
    static ConnectionRowState grok(const std::optional<ProviderEntry> &entry, bool found);
    // A provider found by its command-line tool that reports nothing yet (Gemini CLI).
    static ConnectionRowState noReport(const Provider &provider, bool found);
    static ConnectionRowState wispr(bool installed);
    static ConnectionRowState gitHub(const GitHubSignIn &signIn, const std::optional<QString> &cliLogin,
                                     bool hasClientId, bool cliFound);
    static ConnectionRowState calendar(CalendarStore::Authorization authorization);

    // "prolite" reads "Pro Lite", "plus" reads "Plus".
    static QString planName(const QString &plan);
    // "09:05" on the day of now, else "Fri 5 Dec, 09:05", in local time.
    static QString reportTime(const QDateTime &time, const QDateTime &now);
    // Where the waiting GitHub row tells the user to go: the URL's host (github.com when it has
    // none) and path.
    static QString verificationPlace(const QUrl &url);
};
