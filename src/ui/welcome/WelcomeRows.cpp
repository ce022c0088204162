// SPDX-License-Identifier: GPL-3.0-or-later
#include "WelcomeRows.h"

#include "services/ConnectionsState.h"

using namespace Qt::Literals::StringLiterals;
using Action = ConnectionRowState::Action;
using Phase = ConnectionRows::GitHubSignIn::Phase;

namespace {

const QString notInstalled = u"Not installed."_s;

// What the row of a provider that was found says about it, after where its figures come from.
QString foundDetail(const Provider &provider)
{
    switch (provider.source) {
    case Provider::Source::ClaudeStatusLine:
        return u"Found Claude Code."_s;
    case Provider::Source::CodexAppServer:
        return u"Found. Reads your ChatGPT plan’s Codex limit."_s;
    case Provider::Source::GrokUsage:
        return u"Found. Shows plan usage when Grok can report it."_s;
    case Provider::Source::NoReport:
        return u"Found, but "_s + provider.name + u" CLI has no usage report yet."_s;
    case Provider::Source::WisprDatabase:
        return u"Found. Word counts only, never the text."_s;
    }
    return QString();
}

} // namespace

ConnectionRowState WelcomeRows::gitHub(const ConnectionRows::GitHubSignIn &signIn,
                                       const std::optional<QString> &cliLogin, bool hasClientId, bool cliFound)
{
    if (signIn.phase == Phase::waiting)
        return {ConnectionStatus::waiting, u"Enter this code on GitHub to finish signing in."_s, Action::deviceCode};
    if (signIn.phase == Phase::signedIn)
        return {ConnectionStatus::connected, u"Signed in as "_s + signIn.login + u'.'};
    // Signed out, or a sign-in that failed: the same row, so the user can simply try again.
    if (cliLogin)
        return {ConnectionStatus::connected, u"Found the GitHub CLI’s login on this computer ("_s + *cliLogin +
                                                 u"). You can sign in to Tessarine later in Connections."_s};
    if (hasClientId)
        return {ConnectionStatus::notConnected, u"Sign in with your GitHub account."_s, Action::signIn};
    if (cliFound)
        return {ConnectionStatus::notConnected,
                u"Sign in to the GitHub CLI once: run “gh auth login” in a terminal, then check again."_s,
                Action::gitHubCliCopyCommand};
    return {ConnectionStatus::notConnected,
            u"Tessarine reads GitHub through the GitHub CLI. Install it, run “gh auth login” in a terminal, "
            u"then check again."_s,
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
        tool.detail = u"Connected through Claude Code’s status line."_s;
        break;
    case ClaudeSetup::Status::Kind::notSetUp:
        tool.detail = u"Found Claude Code. Set Up adds a small status line; any you have keeps working."_s;
        tool.offersSetUp = true;
        break;
    case ClaudeSetup::Status::Kind::claudeCodeMissing:
        tool.found = false;
        tool.detail = u"Claude Code isn’t installed."_s;
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
        return u"Your next events will show"_s;
    case CalendarStore::Authorization::Denied:
        break;
    }
    return u"Off. You can turn it on later in Tessarine’s privacy settings."_s;
}
