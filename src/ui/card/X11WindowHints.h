// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class QWidget;

// What Qt offers no call for on X11: keeping the card on every workspace and out of the
// taskbar and pager. Does nothing on other window systems or where the build has no XCB.
namespace X11WindowHints {

// Marks the not yet shown top-level window as sticky, on all desktops, and skipped by taskbars
// and pagers unless `listed` (a screen reader's user reaches the card through the window
// switching, which skips what taskbars skip). The window manager reads the hints when the window
// is mapped.
void showOnAllWorkspaces(QWidget &window, bool listed = false);

// Asks the window manager to put the shown window on every workspace. Some window managers
// (KWin) place a new tool window by its main window and not by the hint set before it was
// mapped; a request once it is mapped is what every one of them follows.
void askForAllWorkspaces(QWidget &window);

// Asks the window manager not to mark the shown window as demanding attention. KWin marks every
// ordinary or utility window that is mapped without being activated so, and the card is always
// shown without activating it: it would sit in KWin's list of windows calling for the user.
void declineAttention(QWidget &window);

// Leaves the focus with the window manager's own rules: the not yet shown window no longer
// offers to take the focus itself (WM_TAKE_FOCUS), so the input hint of its flags decides. A
// window that accepts no focus is then one the window manager never gives the keyboard, also
// under XWayland's window managers, which focus any window that offers to take it on a click.
void leaveFocusToHint(QWidget &window);

// The name the X11 window manager gives itself (_NET_WM_NAME of its check window), empty when
// there is none or the program does not run on X11. XWayland under wlroots says "wlroots wm".
QString windowManagerName();

// Whether translucent windows show what lies beneath them. False only on X11 without a
// compositing manager, where translucent pixels come out black.
bool windowsCanBeTranslucent();

} // namespace X11WindowHints
