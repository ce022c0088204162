// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/Configuration.h"

#include <QString>

namespace TestSupport {

// The test run's own configuration, as the program would read it: run-isolated.sh points GitHub
// and the release feed at a closed port, and CTest names the renderer (a test program is not
// Tessarine). A test sets what it needs on the copy it gets.
inline Configuration configuration()
{
    return Configuration::fromEnvironment();
}

// The same, reading and writing in `screensDir` and drawing with the page view in `viewsDir`.
inline Configuration configuration(const QString &screensDir, const QString &viewsDir)
{
    Configuration result = configuration();
    result.screensDir = screensDir;
    result.viewsDir = viewsDir;
    return result;
}

} // namespace TestSupport
