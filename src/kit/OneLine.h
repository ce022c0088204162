// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Text from outside (a server's error message, a login) made fit for one line of the card, the
// menu, the manifest and the unattended mode's output: control characters (escape sequences,
// line breaks) and invisible formatting characters (among them the bidirectional overrides that
// make text read backwards) are dropped or turned into spaces, runs of spaces become one, and
// overlong text is cut with an ellipsis.
class OneLine
{
public:
    static constexpr qsizetype defaultMaxLength = 300;

    OneLine() = delete;

    static QString of(const QString &text, qsizetype maxLength = defaultMaxLength);
};
