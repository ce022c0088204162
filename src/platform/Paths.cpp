// SPDX-License-Identifier: GPL-3.0-or-later
#include "Paths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool holdsViews(const QString &dataDir)
{
    return QFileInfo::exists(dataDir + QStringLiteral("/views/page.html"));
}

// The folder of the running program. /proc names it even before (or without) an application
// object, which `tessarine render` and the tests need.
QString executableDir()
{
    const QFileInfo executable(QStringLiteral("/proc/self/exe"));
    const QString target = executable.canonicalFilePath();
    return target.isEmpty() ? QString() : QFileInfo(target).path();
}

// A program built in the build tree (the card, the tests, the benchmarks) reads the source
// tree's files, so that an edit to a view shows without installing.
bool runsFromBuildTree(const QString &programDir)
{
    const QString buildDir = QFileInfo(QStringLiteral(TESSARINE_BUILD_DIR)).canonicalFilePath();
    if (buildDir.isEmpty() || programDir.isEmpty())
        return false;
    return programDir == buildDir || programDir.startsWith(buildDir + QLatin1Char('/'));
}

// The installed data directory: share/tessarine beside the program's bin/ (wherever the prefix
// was moved to), else the one the build was configured for.
QString installedDataDir(const QString &programDir)
{
    if (!programDir.isEmpty()) {
        const QString relative = QDir::cleanPath(programDir + QStringLiteral("/" TESSARINE_DATA_DIR_FROM_BIN));
        if (holdsViews(relative))
            return relative;
    }
    const QString configured = QStringLiteral(TESSARINE_DATA_DIR);
    return holdsViews(configured) ? configured : QString();
}

struct ShippedFiles
{
    QString views;
    QString resources;
};

// Where the shipped files are: the source tree's views/ and resources/ for a build-tree program,
// else the installed data directory, else the source tree as the last place left to look.
ShippedFiles shippedFiles()
{
    const QString programDir = executableDir();
    if (!runsFromBuildTree(programDir)) {
        const QString installed = installedDataDir(programDir);
        if (!installed.isEmpty())
            return {installed + QStringLiteral("/views"), installed};
    }
    return {QStringLiteral(TESSARINE_SOURCE_DIR "/views"), QStringLiteral(TESSARINE_SOURCE_DIR "/resources")};
}

} // namespace

namespace Paths {

QString applicationSupport()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString viewsDir()
{
    return shippedFiles().views;
}

QString resourcesDir()
{
    return shippedFiles().resources;
}

QString screensDir()
{
    return applicationSupport() + QStringLiteral("/Tessarine/screens");
}

QString defaultsFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tessarine/Tessarine.ini");
}

} // namespace Paths
