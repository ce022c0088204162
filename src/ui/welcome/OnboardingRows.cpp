#include "OnboardingRows.h"

#include "kit/Provider.h"
#include "services/ConnectionsState.h"

using namespace Qt::Literals::StringLiterals;
using Action = ConnectionRowState::Action;
using Phase = ConnectionRows::GitHubSignIn::Phase;

namespace {

const QString notInstalled = u"Not installed."_s;

} // namespace

ConnectionRowState OnboardingRows::gitHub(const ConnectionRows::GitHubSignIn &signIn,
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

QList<OnboardingRows::Tool> OnboardingRows::tools(const ConnectionsState &state)
{
    QList<Tool> rows;
    for (const Provider &provider : Provider::all()) {
        switch (provider.detection) {
        case Provider::Detection::ClaudeCode:
            rows.append(claude(state.claude()));
            break;
        case Provider::Detection::CommandLineTool:
            rows.append(plan(provider.id, state.isFound(provider)));
            break;
        case Provider::Detection::WisprDatabase:
            rows.append(wispr(state.isFound(provider)));
            break;
        }
    }
    return rows;
}

OnboardingRows::Tool OnboardingRows::claude(const ClaudeSetup::Status &status)
{
    const Provider &provider = *Provider::find(u"claude"_s);
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

OnboardingRows::Tool OnboardingRows::plan(const QString &id, bool found)
{
    const Provider *provider = Provider::find(id);
    Tool tool{id, provider ? provider->title : QString(), provider ? provider->logo : id, found, notInstalled, false};
    if (!found)
        return tool;
    if (id == u"codex"_s)
        tool.detail = u"Found. Reads your ChatGPT plan’s Codex limit."_s;
    else if (id == u"grok"_s)
        tool.detail = u"Found. Shows plan usage when Grok can report it."_s;
    else if (id == u"gemini"_s)
        tool.detail = u"Found, but Gemini CLI has no usage report yet."_s;
    return tool;
}

OnboardingRows::Tool OnboardingRows::wispr(bool installed)
{
    const Provider &provider = *Provider::find(u"wispr"_s);
    return {provider.id,
            provider.title,
            provider.logo,
            installed,
            installed ? u"Found. Word counts only, never the text."_s : notInstalled,
            false};
}

std::optional<QString> OnboardingRows::calendarText(CalendarStore::Authorization authorization)
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
