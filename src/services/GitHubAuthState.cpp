// SPDX-License-Identifier: GPL-3.0-or-later
#include "GitHubAuthState.h"

GitHubAuthState::GitHubAuthState(Kind kind, const QString &text, const QUrl &url)
    : m_kind(kind)
    , m_text(text)
    , m_url(url)
{}

GitHubAuthState GitHubAuthState::waiting(const QString &code, const QUrl &url)
{
    return {Kind::Waiting, code, url};
}

GitHubAuthState GitHubAuthState::signedIn(const QString &login)
{
    return {Kind::SignedIn, login};
}

GitHubAuthState GitHubAuthState::failed(const QString &message)
{
    return {Kind::Failed, message};
}
