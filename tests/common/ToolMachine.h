// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Configuration.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// The computer the tool probe, the connections window and the welcome flow look at, for their
// tests: a throw-away root with a home, a data folder and a folder of fake tools, zsh as the
// login shell with that folder alone on its PATH (zsh keeps the PATH it is given), and the
// screens directory inside the root. Lives for one test case.
class ToolMachine
{
public:
    // `binName`: the tools' folder in the root.
    explicit ToolMachine(const QString &binName = QStringLiteral("bin"));

    // Found on the PATH the program was started with: call it (or requireZsh()) first.
    static QString zsh();
    // For initTestCase(): skips the suite where zsh is missing, and fails it in CI, where it is
    // installed.
    static void requireZsh();

    // Makes the folders and points HOME, XDG_DATA_HOME, SHELL and PATH at them.
    bool enter();

    QString path(const QString &relative) const { return m_root.filePath(relative); }
    QString bin() const { return path(m_binName); }
    QString home() const { return path(QStringLiteral("home")); }
    QString data() const { return path(QStringLiteral("data")); }
    QString screens() const { return path(QStringLiteral("screens")); }
    QString wisprDatabase() const { return data() + QStringLiteral("/Wispr Flow/flow.sqlite"); }

    // Writes an executable tool into the tools' folder.
    QString tool(const QString &name, const QByteArray &body = "#!/bin/sh\n") const;
    // Puts these on the machine: "gh" (signed in as octo-cat), "gh-signed-out", "claude" (Claude
    // Code's directory), "wispr" (its database); any other name is a tool that does nothing.
    void find(const QStringList &things) const;
    // The test run's configuration with the screens directory in the root and the page view
    // from `viewsDir`; an empty folder of the root when none is given (no catalogue, so a
    // refresh the window asks for draws nothing).
    Configuration configuration(const QString &viewsDir = QString()) const;

private:
    QTemporaryDir m_root;
    QString m_binName;
};
