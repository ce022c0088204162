#include "StartFindings.h"

#include "services/ConnectionsState.h"
#include "services/GitHubAuthState.h"

using namespace Qt::Literals::StringLiterals;

QStringList StartFindings::providers(const ConnectionsState &state)
{
    QStringList found;
    if (state.claude().kind != ClaudeSetup::Status::Kind::claudeCodeMissing)
        found.append(u"claude"_s);
    for (const QString &tool : {u"codex"_s, u"grok"_s}) {
        if (state.hasTool(tool))
            found.append(tool);
    }
    if (state.wisprInstalled())
        found.append(u"wispr"_s);
    return found;
}

bool StartFindings::githubReady(const GitHubAuthState &signIn, const std::optional<QString> &cliLogin)
{
    return signIn.kind() == GitHubAuthState::Kind::SignedIn || cliLogin.has_value();
}

QStringList StartFindings::plans(const QSet<QString> &chosen)
{
    QStringList result;
    for (const QString &id : {u"claude"_s, u"codex"_s, u"grok"_s, u"gemini"_s}) {
        if (chosen.contains(id))
            result.append(id);
    }
    return result;
}
