// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Where Tessarine's files live on a Linux desktop by default. Every location honours the XDG
// variables (through QStandardPaths); the TESSARINE_* overrides are read into Configuration.
namespace Paths {

// The per-user data folder (normally ~/.local/share), the stand-in for Application Support.
QString applicationSupport();

// The shipped page view, themes and catalogue: for a program built in the build tree, the source
// tree's views/; else share/tessarine/views of the prefix the program is installed in (found from
// the program's own place, so a moved prefix works too).
QString viewsDir();

// The shipped logos and the status-line script: the source tree's resources/ for a build-tree
// program, else share/tessarine of the installed prefix.
QString resourcesDir();

// <applicationSupport>/Tessarine/screens.
QString screensDir();

// The display options: Tessarine/Tessarine.ini in the per-user configuration folder (normally
// ~/.config).
QString defaultsFile();

} // namespace Paths
