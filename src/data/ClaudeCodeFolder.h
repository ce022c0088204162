// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Claude Code's own folder, where it keeps its settings: $CLAUDE_CONFIG_DIR when the user's
// environment sets it (Claude Code reads its settings there instead), else ~/.claude. Read from
// the environment the user's terminal has (UserEnvironment::known), since that is where Claude Code
// is started from.
namespace ClaudeCodeFolder {

QString path();

} // namespace ClaudeCodeFolder
