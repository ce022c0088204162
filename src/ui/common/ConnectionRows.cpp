// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConnectionRows.h"

#include "services/ConnectionsState.h"

#include <QLocale>
#include <QStringList>

namespace {

using Action = ConnectionRowState::Action;

bool isOk(const std::optional<ProviderEntry> &entry)
{
    return entry && entry->status == QStringLiteral("ok");
}

// A reason or plan that is present but empty says nothing, so it counts as absent.
std::optional<QString> nonEmpty(const std::optional<QString> &text)
{
    return text && !text->isEmpty() ? text : std::nullopt;
}

// The Codex and Grok rows share one shape: signed in, a reason from the last refresh, or what
// the tool's presence alone says.
struct PlanRowTexts
{
    ConnectionStatus notOkStatus;
    QString foundDetail;
    QString missingDetail;
};

ConnectionRowState planRow(const std::optional<ProviderEntry> &entry, bool found, const PlanRowTexts &texts)
{
    const ConnectionStatus status = !found  ? ConnectionStatus::notFound
                                    : entry ? texts.notOkStatus
                                            : ConnectionStatus::found;
    // A missing tool is told as missing, whatever the last refresh's reason was (it could only
    // ask for a sign-in that cannot happen without the tool).
    if (const auto reason = entry && found ? nonEmpty(entry->reason) : std::nullopt)
        return {status, *reason};
    return {status, found ? texts.foundDetail : texts.missingDetail};
}

} // namespace

ConnectionRows::GitHubSignIn ConnectionRows::GitHubSignIn::from(const GitHubAuthState &state)
{
    switch (state.kind()) {
    case GitHubAuthState::Kind::Waiting:
        return waiting(state.code(), state.url());
    case GitHubAuthState::Kind::SignedIn:
        return signedIn(state.login());
    case GitHubAuthState::Kind::Failed:
        return failed(state.message());
    case GitHubAuthState::Kind::SignedOut:
        break;
    }
    return signedOut();
}

ConnectionRowState ConnectionRows::provider(const Provider &provider, const ConnectionsState &state,
                                            const QDateTime &now)
{
    const bool found = state.isFound(provider);
    switch (provider.source) {
    case Provider::Source::ClaudeStatusLine:
        return claude(state.claude(), now, state.provider(provider.id));
    case Provider::Source::CodexAppServer:
        return codex(state.provider(provider.id), found);
    case Provider::Source::GrokUsage:
        return grok(state.provider(provider.id), found);
    case Provider::Source::NoReport:
        return noReport(provider, found);
    case Provider::Source::WisprDatabase:
        return wispr(found);
    }
    return {};
}

ConnectionRowState ConnectionRows::gitHub(const GitHubSignIn &signIn, const ConnectionsState &state, bool hasClientId)
{
    return gitHub(signIn, state.ghLogin(), hasClientId, state.hasTool(QStringLiteral("gh")));
}

ConnectionRowState ConnectionRows::claude(const ClaudeSetup::Status &status, const QDateTime &now,
                                          const std::optional<ProviderEntry> &entry)
{
    using Kind = ClaudeSetup::Status::Kind;
    switch (status.kind) {
    case Kind::claudeCodeMissing:
        return {ConnectionStatus::notFound, QStringLiteral("Install Claude Code to show your Claude plan.")};
    case Kind::notSetUp:
        return {ConnectionStatus::attention,
                QStringLiteral("Adds a small status line to Claude Code so it can share your plan usage. Any status "
                               "line you already have keeps working."),
                Action::setUpClaude};
    case Kind::connected:
        break;
    }
    // Only an entry that cannot become data by waiting has a reason worth more than the wait.
    const bool unavailable = entry && entry->status == QStringLiteral("unavailable");
    if (const auto reason = !status.lastReport && unavailable ? nonEmpty(entry->reason) : std::nullopt)
        return {ConnectionStatus::noData, *reason + QLatin1Char('.'), Action::removeClaude};
    if (!status.lastReport)
        return {ConnectionStatus::connected,
                QStringLiteral("Set up. Your numbers appear after your next Claude Code session."),
                Action::removeClaude};
    return {ConnectionStatus::connected,
            QStringLiteral("Claude Code last reported your plan usage at ") + reportTime(*status.lastReport, now) +
                QLatin1Char('.'),
            Action::removeClaude};
}

ConnectionRowState ConnectionRows::codex(const std::optional<ProviderEntry> &entry, bool found)
{
    if (isOk(entry)) {
        const auto plan = nonEmpty(entry->plan);
        const QString name = plan ? planName(*plan) : QString();
        const QString planPart = name.isEmpty() ? QString() : QStringLiteral(" (") + name + QLatin1Char(')');
        return {ConnectionStatus::connected, QStringLiteral("Signed in to ChatGPT") + planPart +
                                                 QStringLiteral(". Read through Codex on this computer.")};
    }
    return planRow(entry, found,
                   {ConnectionStatus::attention,
                    QStringLiteral("Found Codex. Add a Codex widget to a page to show your plan."),
                    QStringLiteral("Install Codex and sign in with ChatGPT.")});
}

ConnectionRowState ConnectionRows::grok(const std::optional<ProviderEntry> &entry, bool found)
{
    if (isOk(entry))
        return {ConnectionStatus::connected, QStringLiteral("Reading your plan usage through Grok on this computer.")};
    return planRow(entry, found,
                   {ConnectionStatus::noData,
                    QStringLiteral("Found Grok. Add a Grok widget to a page to show your plan."),
                    QStringLiteral("Install Grok to show your plan.")});
}

ConnectionRowState ConnectionRows::noReport(const Provider &provider, bool found)
{
    const QString tool = provider.name + QStringLiteral(" CLI");
    if (found)
        return {ConnectionStatus::noData,
                QStringLiteral("Found ") + tool + QStringLiteral(", but it has no usage report yet.")};
    return {ConnectionStatus::notFound,
            QStringLiteral("Install ") + tool + QStringLiteral(". It has no usage report yet.")};
}

ConnectionRowState ConnectionRows::wispr(bool installed)
{
    if (installed)
        return {ConnectionStatus::connected,
                QStringLiteral("Reading word counts from Wispr Flow on this computer, never the dictated text.")};
    return {ConnectionStatus::notFound, QStringLiteral("Install Wispr Flow to show your dictation.")};
}

ConnectionRowState ConnectionRows::gitHub(const GitHubSignIn &signIn, const std::optional<QString> &cliLogin,
                                          bool hasClientId, bool cliFound)
{
    // The in-app sign-in is offered only when this build has a GitHub App to sign in to.
    const Action signInAction = hasClientId ? Action::signIn : Action::none;
    switch (signIn.phase) {
    case GitHubSignIn::Phase::waiting:
        return {ConnectionStatus::waiting,
                QStringLiteral("Enter this code at ") + verificationPlace(signIn.url) +
                    QStringLiteral(" to finish signing in."),
                Action::deviceCode};
    case GitHubSignIn::Phase::signedIn:
        return {ConnectionStatus::connected, QStringLiteral("Signed in as ") + signIn.login + QLatin1Char('.'),
                Action::signOut};
    case GitHubSignIn::Phase::failed:
        return {ConnectionStatus::attention, signIn.message, signInAction};
    case GitHubSignIn::Phase::signedOut:
        break;
    }
    if (cliLogin)
        return {ConnectionStatus::connected,
                QStringLiteral("Using the GitHub CLI’s login on this computer (") + *cliLogin + QStringLiteral(")."),
                signInAction};
    if (hasClientId)
        return {ConnectionStatus::notConnected,
                QStringLiteral("Sign in to show your contributions, pull requests and releases."), Action::signIn};
    if (cliFound)
        return {ConnectionStatus::notConnected,
                QStringLiteral("Sign in to the GitHub CLI once: run “gh auth login” in a terminal, then check again."),
                Action::gitHubCliCopyCommand};
    return {ConnectionStatus::notConnected,
            QStringLiteral("Tessarine reads GitHub through the GitHub CLI. Install it, run “gh auth login” in a "
                           "terminal, then check again."),
            Action::gitHubCliInstall};
}

ConnectionRowState ConnectionRows::calendar(CalendarStore::Authorization authorization)
{
    switch (authorization) {
    case CalendarStore::Authorization::NotDetermined:
        return {ConnectionStatus::attention, QStringLiteral("Allow access to show your next events."),
                Action::allowCalendar};
    case CalendarStore::Authorization::FullAccess:
        return {ConnectionStatus::connected,
                QStringLiteral("Your next 7 days from all calendars. Titles and times only.")};
    case CalendarStore::Authorization::Denied:
        break;
    }
    return {ConnectionStatus::notConnected, QStringLiteral("Calendar access is off."), Action::openPrivacySettings};
}

QString ConnectionRows::planName(const QString &plan)
{
    QString spaced = plan;
    spaced.replace(QStringLiteral("lite"), QStringLiteral(" lite"));
    QStringList words = spaced.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    for (QString &word : words)
        word = word.left(1).toUpper() + word.mid(1).toLower();
    return words.join(QLatin1Char(' '));
}

QString ConnectionRows::reportTime(const QDateTime &time, const QDateTime &now)
{
    const QDateTime local = time.toLocalTime();
    const bool today = local.date() == now.toLocalTime().date();
    return QLocale(QLocale::English, QLocale::UnitedKingdom)
        .toString(local, today ? QStringLiteral("HH:mm") : QStringLiteral("ddd d MMM, HH:mm"));
}

QString ConnectionRows::verificationPlace(const QUrl &url)
{
    const QString host = url.host(QUrl::FullyEncoded);
    return (host.isEmpty() ? QStringLiteral("github.com") : host) + url.path(QUrl::FullyEncoded);
}
