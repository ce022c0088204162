#pragma once

#include <QString>

// Where Tessarine's files live on a Linux desktop. Every location honours the XDG variables
// (through QStandardPaths) and the TESSARINE_* overrides, so tests and the unattended modes can
// point the program elsewhere.
namespace Paths {

// The per-user data folder (normally ~/.local/share), the stand-in for Application Support.
QString applicationSupport();

// The shipped page view, themes and catalogue: TESSARINE_VIEWS when set, else the installed
// share/tessarine/views, else the source tree's views/ (a build-tree run).
QString viewsDir();

// The shipped logos and the status-line script: share/tessarine, else the source tree's resources/.
QString resourcesDir();

// TESSARINE_SCREENS when set, else <applicationSupport>/Tessarine/screens.
QString screensDir();

// "settings.json" in the parent directory of the screens directory.
QString settingsFile();

} // namespace Paths
