// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// The token in what "gh auth token" printed through the user's login shell. A login profile
// may print a greeting or a notice first, so the token is the output's last line that is not
// blank, and only when it is made of the characters tokens are made of: anything else (text,
// a line break, a control character) is no token, never a header value.
class GitHubCliToken
{
public:
    // GitHub's tokens are far shorter; a longer "token" is some other output.
    static constexpr qsizetype maxLength = 512;

    GitHubCliToken() = delete;

    static std::optional<QString> fromOutput(const QString &output);
    static bool isTokenText(const QString &text);
};
