// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunConfiguration.h"

namespace TestSupport {

Configuration configuration()
{
    return Configuration::fromEnvironment();
}

Configuration configuration(const QString &screensDir, const QString &viewsDir)
{
    Configuration result = configuration();
    result.screensDir = screensDir;
    result.viewsDir = viewsDir;
    return result;
}

} // namespace TestSupport
