#pragma once

#include <QSet>
#include <QString>
#include <QStringList>
#include <optional>

class ConnectionsState;
class GitHubAuthState;

// What a first start makes of the machine: which providers are worth showing and whether GitHub
// can be read. The welcome flow preselects from it, and the first start without a desktop builds
// its pages from it, so both arrive at the same pages for the same machine.
class StartFindings
{
public:
    StartFindings() = delete;

    // The providers found on this computer (Claude unless Claude Code is missing, the tools the
    // probe found, Wispr Flow when its database exists) that have a usage report to show, so never
    // Gemini; in the providers' fixed order.
    static QStringList providers(const ConnectionsState &state);

    // Signed in to Tessarine, or else the GitHub CLI has a login on this computer.
    static bool githubReady(const GitHubAuthState &signIn, const std::optional<QString> &cliLogin);

    // The AI plans among the chosen providers (not dictation), in the providers' fixed order.
    static QStringList plans(const QSet<QString> &chosen);
};
