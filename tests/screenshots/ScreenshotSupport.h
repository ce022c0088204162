// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QString>

class App;
class QWidget;

// What every screenshot program shares: where the pictures go and how a window is saved.
namespace ScreenshotSupport {

// The folder given as the program's first argument, created when missing.
QString outputDir();

// Lets queued work, layouts and animations finish before a window is grabbed.
void settle(int milliseconds = 300);

// Saves the widget as it is drawn now to <outputDir>/<name>.png and prints the path.
// Returns false when the picture could not be written.
bool save(QWidget *widget, const QString &name);

// One offscreen screen of `size` at 96 dpi, described in a file in `folder`; call it before the
// application exists.
void useOneScreen(const QString &folder, QSize size);

// Opens the welcome flow and saves each of its steps as <prefix><step>.png, then closes it.
bool saveWelcomeSteps(App &app, const QString &prefix);

} // namespace ScreenshotSupport
