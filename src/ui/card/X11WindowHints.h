// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

// What Qt offers no call for on X11: keeping the card on every workspace and out of the
// taskbar and pager. Does nothing on other window systems or where the build has no XCB.
namespace X11WindowHints {

// Marks the not yet shown top-level window as sticky, on all desktops, and skipped by taskbars
// and pagers unless `listed` (a screen reader's user reaches the card through the window
// switching, which skips what taskbars skip). The window manager reads the hints when the window
// is mapped.
void showOnAllWorkspaces(QWidget &window, bool listed = false);

// Whether translucent windows show what lies beneath them. False only on X11 without a
// compositing manager, where translucent pixels come out black.
bool windowsCanBeTranslucent();

} // namespace X11WindowHints
