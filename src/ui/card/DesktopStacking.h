// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>

// Whether the desktop keeps the card where the X11 hints ask: beneath other windows, on every
// workspace, out of the taskbar. GNOME's and KDE's window managers do, XWayland windows
// included; wlroots compositors (sway and its kin) do not, and neither does any compositor for a
// native Wayland window. Where they are ignored the full-screen grid would cover every window
// and let clicks through to nothing, so it is not offered there.
class DesktopStacking
{
public:
    // What tells one desktop from another.
    struct Session
    {
        QString platform;        // Qt's platform: xcb, wayland, offscreen, …
        QString currentDesktop;  // XDG_CURRENT_DESKTOP, names separated by colons
        bool swaySocket = false; // SWAYSOCK is set
        QString windowManager;   // the X11 window manager's own name
    };

    // The session this program runs in.
    static Session current();
    // The desktop that ignores the hints ("sway", another wlroots compositor's name, "Wayland"
    // for a native Wayland window), empty where they are followed.
    static QString ignoringDesktop(const Session &session);
    // Whether this run's desktop follows the hints; read once.
    static bool hintsFollowed();

    // What the user is told on such a desktop: what does not work and what to do about it.
    static QString notice(const QString &desktop);
    // The sway rule that keeps the card floating on every workspace.
    static QString swayRule();
    // The same rule for the card as a native Wayland window.
    static QString swayWaylandRule();
    // The wlroots compositor the environment names (XDG_CURRENT_DESKTOP, or a sway socket),
    // empty when it names none.
    static QString knownWlrootsDesktop(const QString &currentDesktop, bool swaySocket);
    // The user defaults key naming the desktop the notice was last given for.
    static QString noticeKey();
    // Gives `tell` the notice unless it was given for this desktop before; returns whether it did.
    static bool tellOnce(const QString &desktop, const std::function<void(const QString &)> &tell);
};
