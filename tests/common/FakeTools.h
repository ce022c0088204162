// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Fake command-line tools for the tests of the data side and above: scripts in ~/bin inside the
// test's own HOME, put on PATH by the login profile of the shell the test chooses, as a user's
// profile would.
namespace FakeTools {

// True when HOME is a throw-away test home (tests/run-isolated.sh); the tests that write
// profiles and tools refuse to run anywhere else.
bool isolated();

// True in CI (CI set and not 0, false or no, as the Makefile reads it). The install script
// provides every tool the fakes run through, so there a missing one fails the suite instead of
// skipping it.
bool inContinuousIntegration();

// Sets SHELL to `shell` and writes the profile that shell reads as a login shell, so that
// ~/bin comes first on its PATH.
void useLoginShell(const QString &shell);

// Writes an executable ~/bin/<name> with the given shell-script body.
QString install(const QString &name, const QByteArray &body);
void remove(const QString &name);

QString binDir();

// True when the process no longer exists (or is only a zombie waiting to be reaped).
bool processGone(qint64 pid);

} // namespace FakeTools
