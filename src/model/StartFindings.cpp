// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartFindings.h"

#include "kit/Provider.h"
#include "services/ConnectionsState.h"
#include "services/GitHubAuthState.h"

QStringList StartFindings::providers(const ConnectionsState &state)
{
    // A provider without a usage report would only fill a widget with "unavailable".
    QStringList found;
    for (const Provider &provider : Provider::all()) {
        if (provider.hasUsageReport() && state.isFound(provider))
            found.append(provider.id);
    }
    return found;
}

bool StartFindings::githubReady(const GitHubAuthState &signIn, const std::optional<QString> &cliLogin)
{
    return signIn.kind() == GitHubAuthState::Kind::SignedIn || cliLogin.has_value();
}

QStringList StartFindings::plans(const QSet<QString> &chosen)
{
    QStringList result;
    for (const Provider &provider : Provider::all()) {
        if (provider.kind == Provider::Kind::AiPlan && chosen.contains(provider.id))
            result.append(provider.id);
    }
    return result;
}
