// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11WindowHints.h"

#include <QGuiApplication>
#include <QList>
#include <QWidget>

#ifdef TESSARINE_HAVE_XCB
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
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
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return nullptr;
    auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

xcb_window_t rootWindow(xcb_connection_t *connection)
{
    return xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
}

// A window property of type WINDOW or UTF8_STRING as raw bytes.
QByteArray property(xcb_connection_t *connection, xcb_window_t window, xcb_atom_t name, xcb_atom_t type)
{
    xcb_get_property_reply_t *reply =
        xcb_get_property_reply(connection, xcb_get_property(connection, 0, window, name, type, 0, 256), nullptr);
    if (!reply)
        return {};
    const QByteArray value(static_cast<const char *>(xcb_get_property_value(reply)),
                           xcb_get_property_value_length(reply));
    std::free(reply);
    return value;
}

constexpr uint32_t allDesktops = 0xFFFFFFFF;

// A request about a shown window, sent to the window manager as a client message on the root.
void askWindowManager(xcb_connection_t *connection, const QWidget &window, xcb_atom_t type,
                      std::initializer_list<uint32_t> data)
{
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = xcb_window_t(window.winId());
    message.type = type;
    std::copy(data.begin(), data.end(), std::begin(message.data.data32));
    xcb_send_event(connection, 0, rootWindow(connection),
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char *>(&message));
    xcb_flush(connection);
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
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, atom(connection, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL,
                        32, 1, &allDesktops);
    xcb_flush(connection);
}

void leaveFocusToHint(QWidget &window)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection || window.isVisible())
        return;
    const auto id = xcb_window_t(window.winId());
    const xcb_atom_t protocols = atom(connection, "WM_PROTOCOLS");
    const xcb_atom_t takeFocus = atom(connection, "WM_TAKE_FOCUS");
    const QByteArray offered = property(connection, id, protocols, XCB_ATOM_ATOM);
    QList<xcb_atom_t> kept;
    for (qsizetype at = 0; at + qsizetype(sizeof(xcb_atom_t)) <= offered.size(); at += sizeof(xcb_atom_t)) {
        xcb_atom_t protocol = 0;
        std::memcpy(&protocol, offered.constData() + at, sizeof protocol);
        if (protocol != takeFocus)
            kept.append(protocol);
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, id, protocols, XCB_ATOM_ATOM, 32, uint32_t(kept.size()),
                        kept.constData());
    xcb_flush(connection);
}

void askForAllWorkspaces(QWidget &window)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection || !window.isVisible())
        return;
    constexpr uint32_t fromApplication = 1;
    askWindowManager(connection, window, atom(connection, "_NET_WM_DESKTOP"), {allDesktops, fromApplication});
}

void declineAttention(QWidget &window)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection || !window.isVisible())
        return;
    constexpr uint32_t removeState = 0;
    askWindowManager(connection, window, atom(connection, "_NET_WM_STATE"),
                     {removeState, atom(connection, "_NET_WM_STATE_DEMANDS_ATTENTION"), XCB_ATOM_NONE, 1});
}

QString windowManagerName()
{
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return {};
    const QByteArray check =
        property(connection, rootWindow(connection), atom(connection, "_NET_SUPPORTING_WM_CHECK"), XCB_ATOM_WINDOW);
    if (check.size() < int(sizeof(xcb_window_t)))
        return {};
    xcb_window_t manager = 0;
    std::memcpy(&manager, check.constData(), sizeof manager);
    return QString::fromUtf8(
        property(connection, manager, atom(connection, "_NET_WM_NAME"), atom(connection, "UTF8_STRING")));
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

void leaveFocusToHint(QWidget &) {}

void askForAllWorkspaces(QWidget &) {}

void declineAttention(QWidget &) {}

QString windowManagerName()
{
    return {};
}

bool windowsCanBeTranslucent()
{
    return true;
}

#endif

} // namespace X11WindowHints
