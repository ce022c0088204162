// SPDX-License-Identifier: GPL-3.0-or-later
#include "ClaudeCodeFolder.h"

#include "UserEnvironment.h"

#include <QDir>

namespace ClaudeCodeFolder {

QString path()
{
    // Claude Code takes the variable trimmed, and an empty one as unset.
    const QString configured = UserEnvironment::instance().known().value(QStringLiteral("CLAUDE_CONFIG_DIR")).trimmed();
    if (!configured.isEmpty())
        return QDir::cleanPath(QDir(QDir::homePath()).absoluteFilePath(configured));
    return QDir::homePath() + QStringLiteral("/.claude");
}

} // namespace ClaudeCodeFolder
