// SPDX-License-Identifier: GPL-3.0-or-later
#include "WelcomeRows.h"

#include "services/ConnectionsState.h"

using Action = ConnectionRowState::Action;
using Phase = ConnectionRows::GitHubSignIn::Phase;

namespace {

const QString notInstalled = QStringLiteral("Not installed.");

// What the row of a provider that was found says about it, after where its figures come from.
QString foundDetail(const Provider &provider)
{
    switch (provider.source) {
    case Provider::Source::ClaudeStatusLine:
        return QStringLiteral("Found Claude Code.");
    case Provider::Source::CodexAppServer:
        return QStringLiteral("Found. Reads your ChatGPT plan’s Codex limit.");
    case Provider::Source::GrokUsage:
        return QStringLiteral("Found. Shows plan usage when Grok can report it.");
    case Provider::Source::NoReport:
        return QStringLiteral("Found, but ") + provider.name + QStringLiteral(" CLI has no usage report yet.");
    case Provider::Source::WisprDatabase:
        return QStringLiteral("Found. Word counts only, never the text.");
    }
    return QString();
}

} // namespace

ConnectionRowState WelcomeRows::gitHub(const ConnectionRows::GitHubSignIn &signIn,
                                       const std::optional<QString> &cliLogin, bool hasClientId, bool cliFound)
{
    if (signIn.phase == Phase::waiting)
        return {ConnectionStatus::waiting, QStringLiteral("Enter this code on GitHub to finish signing in."),
                Action::deviceCode};
    if (signIn.phase == Phase::signedIn)
        return {ConnectionStatus::connected, QStringLiteral("Signed in as ") + signIn.login + u'.'};
    // Signed out, or a sign-in that failed: the same row, so the user can simply try again.
    if (cliLogin)
        return {ConnectionStatus::connected,
                QStringLiteral("Found the GitHub CLI’s login on this computer (") + *cliLogin +
                    QStringLiteral("). You can sign in to Tessarine later in Connections.")};
    if (hasClientId)
        return {ConnectionStatus::notConnected, QStringLiteral("Sign in with your GitHub account."), Action::signIn};
    if (cliFound)
        return {ConnectionStatus::notConnected,
                QStringLiteral("Sign in to the GitHub CLI once: run “gh auth login” in a terminal, then check again."),
                Action::gitHubCliCopyCommand};
    return {ConnectionStatus::notConnected,
            QStringLiteral("Tessarine reads GitHub through the GitHub CLI. Install it, run “gh auth login” "
                           "in a terminal, then check again."),
            Action::gitHubCliInstall};
}

QList<WelcomeRows::Tool> WelcomeRows::tools(const ConnectionsState &state)
{
    QList<Tool> rows;
    for (const Provider &provider : Provider::all())
        rows.append(tool(provider, state));
    return rows;
}

WelcomeRows::Tool WelcomeRows::tool(const Provider &provider, const ConnectionsState &state)
{
    if (provider.source == Provider::Source::ClaudeStatusLine)
        return claude(provider, state.claude());
    return other(provider, state.isFound(provider));
}

WelcomeRows::Tool WelcomeRows::claude(const Provider &provider, const ClaudeSetup::Status &status)
{
    Tool tool{provider.id, provider.title, provider.logo, true, QString(), false};
    switch (status.kind) {
    case ClaudeSetup::Status::Kind::connected:
        tool.detail = QStringLiteral("Connected through Claude Code’s status line.");
        break;
    case ClaudeSetup::Status::Kind::notSetUp:
        tool.detail = QStringLiteral("Found Claude Code. Set Up adds a small status line; any you have keeps working.");
        tool.offersSetUp = true;
        break;
    case ClaudeSetup::Status::Kind::claudeCodeMissing:
        tool.found = false;
        tool.detail = QStringLiteral("Claude Code isn’t installed.");
        break;
    }
    return tool;
}

WelcomeRows::Tool WelcomeRows::other(const Provider &provider, bool found)
{
    return {provider.id, provider.title, provider.logo, found, found ? foundDetail(provider) : notInstalled, false};
}

std::optional<QString> WelcomeRows::calendarText(CalendarStore::Authorization authorization)
{
    switch (authorization) {
    case CalendarStore::Authorization::NotDetermined:
        return std::nullopt;
    case CalendarStore::Authorization::FullAccess:
        return QStringLiteral("Your next events will show");
    case CalendarStore::Authorization::Denied:
        break;
    }
    return QStringLiteral("Off. You can turn it on later in Tessarine’s privacy settings.");
}
