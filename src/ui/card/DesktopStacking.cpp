// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopStacking.h"

#include "X11WindowHints.h"
#include "platform/Defaults.h"

#include <QGuiApplication>
#include <QStringList>

namespace {

// The name XWayland's window manager gives itself under every wlroots compositor.
const QLatin1String wlrootsWindowManager("wlroots wm");

// Desktops known to be wlroots compositors, as they name themselves in XDG_CURRENT_DESKTOP.
const QStringList &wlrootsDesktops()
{
    static const QStringList names{QStringLiteral("sway"),    QStringLiteral("river"),    QStringLiteral("labwc"),
                                   QStringLiteral("Wayfire"), QStringLiteral("Hyprland"), QStringLiteral("dwl")};
    return names;
}

} // namespace

QString DesktopStacking::knownWlrootsDesktop(const QString &currentDesktop, bool swaySocket)
{
    if (swaySocket)
        return QStringLiteral("sway");
    for (const QString &name : currentDesktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        for (const QString &known : wlrootsDesktops()) {
            if (name.compare(known, Qt::CaseInsensitive) == 0)
                return known;
        }
    }
    return {};
}

DesktopStacking::Session DesktopStacking::current()
{
    return Session{QGuiApplication::platformName(), qEnvironmentVariable("XDG_CURRENT_DESKTOP"),
                   qEnvironmentVariableIsSet("SWAYSOCK"), X11WindowHints::windowManagerName()};
}

QString DesktopStacking::ignoringDesktop(const Session &session)
{
    if (session.platform.startsWith(QStringLiteral("wayland")))
        return QStringLiteral("Wayland");
    if (session.platform != QStringLiteral("xcb"))
        return {};
    // The window manager says who it is; the environment only speaks where none answers.
    if (session.windowManager == wlrootsWindowManager) {
        const QString known = knownWlrootsDesktop(session.currentDesktop, session.swaySocket);
        return known.isEmpty() ? QStringLiteral("wlroots") : known;
    }
    if (!session.windowManager.isEmpty())
        return {};
    return knownWlrootsDesktop(session.currentDesktop, session.swaySocket);
}

bool DesktopStacking::hintsFollowed()
{
    static const bool followed = ignoringDesktop(current()).isEmpty();
    return followed;
}

QString DesktopStacking::swayRule()
{
    // The card is the program's only utility window (its dialogs are not), in the class
    // "Tessarine"; sticky keeps a floating window on every workspace.
    return QStringLiteral(R"(for_window [class="Tessarine" window_type="utility"] floating enable, sticky enable)");
}

QString DesktopStacking::swayWaylandRule()
{
    // A Wayland window is known to sway by its application id, the desktop entry's name.
    return QStringLiteral(R"(for_window [app_id="app.tessarine.Tessarine"] floating enable, sticky enable)");
}

QString DesktopStacking::notice(const QString &desktop)
{
    if (desktop == QStringLiteral("Wayland")) {
        return QStringLiteral(
                   "Tessarine runs as a native Wayland window here (QT_QPA_PLATFORM=wayland). Wayland lets no "
                   "window stay beneath the others or on every workspace, so the desktop places the card as it "
                   "places any window: a tiling desktop such as sway tiles it among your windows, with a title "
                   "bar; others float it above them. Full Screen is not offered.\n\nOn sway, this rule floats "
                   "the card and keeps it on every workspace:\n\n") +
               swayWaylandRule() +
               QStringLiteral("\n\nOr start Tessarine without QT_QPA_PLATFORM=wayland where XWayland runs: GNOME "
                              "and KDE then keep the card beneath your windows and on every workspace.");
    }
    if (desktop == QStringLiteral("sway")) {
        return QStringLiteral(
                   "sway does not follow the requests that keep the card beneath your windows and on every "
                   "workspace. It tiles ordinary windows but floats the card, in the middle of the screen at "
                   "first, and a floating window always stays above tiled ones, so here the card sits above your "
                   "windows and stays on the workspace where it opened. Full Screen is not offered on this "
                   "desktop.\n\nTo keep the card on every workspace, add this line to ~/.config/sway/config and "
                   "reload sway (Super+Shift+C):\n\n") +
               swayRule();
    }
    return QStringLiteral("%1 does not follow the requests that keep the card beneath your windows and on "
                          "every workspace, so here the card floats above your windows or is tiled among them, "
                          "as the desktop places any window, and stays on the workspace where it opened. Full "
                          "Screen is not offered on this desktop.\n\nTo keep the card on every workspace, give "
                          "the window of the class “Tessarine” a sticky floating rule in your desktop’s settings.")
        .arg(desktop);
}

QString DesktopStacking::noticeKey()
{
    return QStringLiteral("stackingNotice");
}

bool DesktopStacking::tellOnce(const QString &desktop, const std::function<void(const QString &)> &tell)
{
    if (desktop.isEmpty() || Defaults::stringValue(noticeKey()) == desktop)
        return false;
    Defaults::setValue(noticeKey(), desktop);
    tell(notice(desktop));
    return true;
}
