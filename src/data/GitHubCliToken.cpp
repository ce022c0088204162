// SPDX-License-Identifier: GPL-3.0-or-later
#include "GitHubCliToken.h"

#include <QStringList>

std::optional<QString> GitHubCliToken::fromOutput(const QString &output)
{
    // Lines end in "\n", "\r\n" or a lone "\r"; any of them separates the greeting from the token.
    QString lines = output;
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList split = lines.split(QLatin1Char('\n'));
    for (auto line = split.crbegin(); line != split.crend(); ++line) {
        const QString candidate = line->trimmed();
        if (candidate.isEmpty())
            continue;
        if (isTokenText(candidate))
            return candidate;
        return std::nullopt;
    }
    return std::nullopt;
}

bool GitHubCliToken::isTokenText(const QString &text)
{
    if (text.isEmpty() || text.size() > maxLength)
        return false;
    for (const QChar character : text) {
        const char16_t code = character.unicode();
        const bool letterOrDigit =
            (code >= u'a' && code <= u'z') || (code >= u'A' && code <= u'Z') || (code >= u'0' && code <= u'9');
        if (!letterOrDigit && code != u'_' && code != u'-' && code != u'.')
            return false;
    }
    return true;
}
