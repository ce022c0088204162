#include "Paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString fromEnvironment(const char *name)
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? QString() : QDir::cleanPath(value);
}

// The installed data directory, or a data directory beside the executable's bin/ (a relocated
// install), whichever exists.
QString installedDataDir()
{
    const QString compiledIn = QStringLiteral(TESSARINE_DATA_DIR);
    if (QFileInfo::exists(compiledIn + QStringLiteral("/views/page.html")))
        return compiledIn;
    if (QCoreApplication::instance()) {
        const QString relative =
            QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../share/tessarine"));
        if (QFileInfo::exists(relative + QStringLiteral("/views/page.html")))
            return relative;
    }
    return {};
}

} // namespace

namespace Paths {

QString applicationSupport()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString viewsDir()
{
    const QString overridden = fromEnvironment("TESSARINE_VIEWS");
    if (!overridden.isEmpty())
        return overridden;
    const QString installed = installedDataDir();
    if (!installed.isEmpty())
        return installed + QStringLiteral("/views");
    return QStringLiteral(TESSARINE_SOURCE_DIR "/views");
}

QString resourcesDir()
{
    const QString installed = installedDataDir();
    if (!installed.isEmpty())
        return installed;
    return QStringLiteral(TESSARINE_SOURCE_DIR "/resources");
}

QString screensDir()
{
    const QString overridden = fromEnvironment("TESSARINE_SCREENS");
    if (!overridden.isEmpty())
        return overridden;
    return applicationSupport() + QStringLiteral("/Tessarine/screens");
}

QString settingsFile()
{
    return QFileInfo(screensDir()).dir().filePath(QStringLiteral("settings.json"));
}

} // namespace Paths
