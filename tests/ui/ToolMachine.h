// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Configuration.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// The computer the connections and welcome windows look at, for their tests: a throw-away root
// with a home, a data folder and a bin folder of fake tools, zsh as the login shell with that bin
// folder alone on its PATH (zsh keeps the PATH it is given), and the screens directory inside
// the root. Lives for one test case.
class ToolMachine
{
public:
    // zsh, or empty when the machine lacks it (the suite then skips; in CI it fails).
    static QString zsh();

    // Makes the folders and points HOME, XDG_DATA_HOME, SHELL and PATH at them.
    bool enter();

    QString path(const QString &relative) const { return m_root.filePath(relative); }
    QString bin() const { return path(QStringLiteral("bin")); }
    QString home() const { return path(QStringLiteral("home")); }
    QString data() const { return path(QStringLiteral("data")); }

    // Writes an executable bin/<name>.
    QString tool(const QString &name, const QByteArray &body = "#!/bin/sh\n") const;
    // The test run's configuration with the screens directory in the root and the page view
    // from `viewsDir`; an empty folder of the root when none is given (no catalogue, so a
    // refresh the window asks for draws nothing).
    Configuration configuration(const QString &viewsDir = QString()) const;

private:
    QTemporaryDir m_root;
};
