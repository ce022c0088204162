// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11WindowHints.h"

#include <QGuiApplication>
#include <QWidget>

#ifdef TESSARINE_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <array>
#include <cstdlib>
#include <xcb/xcb.h>
#endif

namespace X11WindowHints {

#ifdef TESSARINE_HAVE_XCB

namespace {

xcb_atom_t atom(xcb_connection_t *connection, const char *name)
{
    const xcb_intern_atom_cookie_t cookie = xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name);
    xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t result = reply->atom;
    std::free(reply);
    return result;
}

// The X server connection when the program runs on X11 (the offscreen platform may offer the
// interface without a connection).
xcb_connection_t *x11Connection()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace

void showOnAllWorkspaces(QWidget &window, bool listed)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection || window.isVisible())
        return;
    const auto id = xcb_window_t(window.winId());
    // Qt merges its own states into the ones already set before the window is mapped.
    const std::array<xcb_atom_t, 3> states{atom(connection, "_NET_WM_STATE_STICKY"),
                                           atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                           atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                        listed ? 1U : uint32_t(states.size()), states.data());
    const uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atom(connection, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL,
                        32, 1, &allDesktops);
    xcb_flush(connection);
}

bool windowsCanBeTranslucent()
{
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return true;
    // A compositing manager owns this selection for the screen it composites (the first one
    // here: the card lives on one X screen).
    const xcb_atom_t selection = atom(connection, "_NET_WM_CM_S0");
    if (selection == XCB_ATOM_NONE)
        return false;
    xcb_get_selection_owner_reply_t *reply =
        xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool composited = reply && reply->owner != XCB_NONE;
    std::free(reply);
    return composited;
}

#else

void showOnAllWorkspaces(QWidget &, bool) {}

bool windowsCanBeTranslucent()
{
    return true;
}

#endif

} // namespace X11WindowHints
