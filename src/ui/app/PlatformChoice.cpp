// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlatformChoice.h"

#include "platform/Defaults.h"
#include "ui/card/DesktopStacking.h"

#include <QDir>
#include <QLibraryInfo>
#include <QStringList>

namespace {

PlatformChoice::Fallback chosenFallback = PlatformChoice::Fallback::None;

// QT_QPA_PLATFORM may list platforms to try in turn ("wayland;xcb"); the first is the one asked
// for.
bool asksForWayland(const QByteArray &requested)
{
    return requested.split(';').constFirst().trimmed().startsWith("wayland");
}

// Desktops that keep an XWayland card beneath the windows and on every workspace, where a
// Wayland window floats or is tiled like any other.
bool followsX11Hints(const QString &currentDesktop)
{
    for (const QString &name : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        for (const char *known : {"GNOME", "KDE", "niri"}) {
            if (name.compare(QLatin1String(known), Qt::CaseInsensitive) == 0)
                return true;
        }
    }
    return false;
}

QStringList pluginFolders()
{
    QStringList folders = qEnvironmentVariable("QT_PLUGIN_PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    folders.append(QLibraryInfo::path(QLibraryInfo::PluginsPath));
    return folders;
}

} // namespace

PlatformChoice::Session PlatformChoice::current()
{
    Session session;
    session.requested = qgetenv("QT_QPA_PLATFORM");
    session.waylandDisplay = qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
    session.xDisplay = qEnvironmentVariableIsSet("DISPLAY");
    session.snapshot = qEnvironmentVariableIsSet("APP_SNAPSHOT");
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    const QString wlroots = DesktopStacking::knownWlrootsDesktop(desktop, qEnvironmentVariableIsSet("SWAYSOCK"));
    session.knownDesktop = !wlroots.isEmpty() ? wlroots : followsX11Hints(desktop) ? desktop : QString();
    // Probed only where it matters, as it reads folders.
    session.waylandPlugin = asksForWayland(session.requested) && waylandPluginInstalled();
    return session;
}

PlatformChoice::Choice PlatformChoice::choose(const Session &session)
{
    if (session.requested.isEmpty()) {
        if (session.snapshot)
            return {QByteArrayLiteral("offscreen"), Fallback::None, {}};
        if (session.waylandDisplay && session.xDisplay)
            return {QByteArrayLiteral("xcb"), Fallback::None, {}};
        return {};
    }
    if (!asksForWayland(session.requested))
        return {};
    if (!session.waylandPlugin) {
        if (session.xDisplay)
            return {QByteArrayLiteral("xcb"), Fallback::PluginMissing, {}};
        return {std::nullopt, Fallback::None,
                QStringLiteral("QT_QPA_PLATFORM asks for Wayland, but Qt’s Wayland plugin is not installed (the "
                               "package qt6-wayland), and there is no X display (XWayland) to run through instead.")};
    }
    if (session.xDisplay && !session.knownDesktop.isEmpty())
        return {QByteArrayLiteral("xcb"), Fallback::DesktopNeedsXWayland, {}};
    return {};
}

PlatformChoice::Choice PlatformChoice::apply()
{
    const Choice choice = choose(current());
    if (choice.platform)
        qputenv("QT_QPA_PLATFORM", *choice.platform);
    chosenFallback = choice.fallback;
    return choice;
}

PlatformChoice::Fallback PlatformChoice::fallback()
{
    return chosenFallback;
}

QString PlatformChoice::notice(Fallback fallback)
{
    switch (fallback) {
    case Fallback::None:
        return {};
    case Fallback::PluginMissing:
        return QStringLiteral("QT_QPA_PLATFORM asks for Wayland, but Qt’s Wayland plugin is not installed (the "
                              "package qt6-wayland), so Tessarine runs through XWayland instead.");
    case Fallback::DesktopNeedsXWayland:
        return QStringLiteral("QT_QPA_PLATFORM asks for Wayland, but on this desktop a Wayland window can be kept "
                              "neither beneath your windows nor on every workspace, so Tessarine runs through "
                              "XWayland instead.");
    }
    return {};
}

QString PlatformChoice::noticeKey()
{
    return QStringLiteral("platformNotice");
}

QString PlatformChoice::noticeOnce()
{
    const QString given = chosenFallback == Fallback::PluginMissing ? QStringLiteral("pluginMissing")
                                                                    : QStringLiteral("desktopNeedsXWayland");
    if (chosenFallback == Fallback::None || Defaults::stringValue(noticeKey()) == given)
        return {};
    Defaults::setValue(noticeKey(), given);
    return notice(chosenFallback);
}

bool PlatformChoice::waylandPluginInstalled()
{
    for (const QString &folder : pluginFolders()) {
        const QDir platforms(folder + QStringLiteral("/platforms"));
        if (!platforms.entryList({QStringLiteral("libqwayland*.so")}, QDir::Files).isEmpty())
            return true;
    }
    return false;
}
