// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QScreen;
class QWidget;

// Keeps windows inside the part of a screen the panels leave free, title bar included: a window
// asks for its size, and gets what fits; a frame remembered on a larger screen is shrunk and
// moved back.
namespace WindowFit {

// What the window manager adds around a window's client area when the window is not yet shown
// and its real frame is unknown: a title bar and thin borders.
inline constexpr QMargins assumedDecoration{4, 36, 4, 4};

// The client area for a window of `client` geometry that fits `available` (a screen's free
// area) together with its `decoration`: no larger than the room there is, yet never smaller than
// `minimum`, and moved the least distance to lie inside.
QRect fitted(const QRect &client, const QSize &minimum, const QRect &available,
             const QMargins &decoration = assumedDecoration);

// The client area of `size` centred in `available`, then fitted.
QRect centred(const QSize &size, const QSize &minimum, const QRect &available,
              const QMargins &decoration = assumedDecoration);

// The screen the window is on (by its centre), else the primary screen.
QScreen *screenOf(const QWidget &window);

// Gives the window a size it wants (`wanted`, grown to what its content asks for), centred on
// its screen and fitted into that screen's free area.
void placeCentred(QWidget &window, const QSize &wanted);
// Fits the window, as it stands now, into its screen's free area.
void keepOnScreen(QWidget &window);

} // namespace WindowFit
