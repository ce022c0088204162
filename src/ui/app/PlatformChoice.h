// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// Which of Qt's platforms the program starts on, chosen before the application object exists.
// Wayland gives ordinary windows no say over their place or stacking, so the card runs through
// XWayland wherever an X display exists: when the user has chosen no platform, when their
// QT_QPA_PLATFORM=wayland meets a desktop where a Wayland window cannot be the card, and when
// Qt's Wayland plugin is not installed (Qt would otherwise abort at start). The snapshot export
// needs no display at all.
class PlatformChoice
{
public:
    struct Session
    {
        QByteArray requested;        // QT_QPA_PLATFORM, empty when unset
        bool waylandDisplay = false; // WAYLAND_DISPLAY is set
        bool xDisplay = false;       // DISPLAY is set
        bool waylandPlugin = false;  // Qt's Wayland platform plugin is installed
        QString knownDesktop;        // a desktop whose Wayland windows cannot be the card, else empty
        bool snapshot = false;       // APP_SNAPSHOT is set
    };

    // Why the program runs through XWayland although Wayland was asked for.
    enum class Fallback
    {
        None,
        PluginMissing,
        DesktopNeedsXWayland
    };

    struct Choice
    {
        // The platform to set QT_QPA_PLATFORM to; none leaves it as it is.
        std::optional<QByteArray> platform;
        Fallback fallback = Fallback::None;
        // When no platform can show the card (Wayland asked for, no plugin, no X display): what
        // to tell the user instead of letting Qt abort.
        QString failure;
    };

    static Session current();
    static Choice choose(const Session &session);

    // Chooses for this run and sets QT_QPA_PLATFORM; returns the choice, which fallback() keeps.
    static Choice apply();
    // The fallback apply() took in this run.
    static Fallback fallback();

    // What the user is told once about a fallback; empty for none.
    static QString notice(Fallback fallback);
    // The user defaults key naming the fallback the notice was last given for.
    static QString noticeKey();
    // This run's notice, unless it was given for the same fallback before; empty otherwise.
    static QString noticeOnce();
    // Whether Qt's Wayland platform plugin is in one of the folders Qt looks for plugins in.
    static bool waylandPluginInstalled();
};
