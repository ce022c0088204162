// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Configuration.h"

#include <QString>

namespace TestSupport {

// The test run's own configuration, as the program would read it: run-isolated.sh points GitHub
// and the release feed at a closed port, and CTest names the renderer (a test program is not
// Tessarine). A test sets what it needs on the copy it gets.
Configuration configuration();
// The same, reading and writing in `screensDir` and drawing with the page view in `viewsDir`.
Configuration configuration(const QString &screensDir, const QString &viewsDir);

} // namespace TestSupport
