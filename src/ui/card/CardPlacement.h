// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <optional>

// Where the card window goes when its size changes or the screens change. The card keeps its
// top-left corner while it stays mostly on screen; a first launch, a card lost off every
// screen or a frame left over from the full-screen grid puts it at the top centre of the main
// screen, 80 pixels below the top of the area that panels leave free.
namespace CardPlacement {

// How far under the top of the available area a newly placed card sits.
inline constexpr int topGap = 80;
// The share of a frame that must lie within one screen's available area to count as visible.
inline constexpr double visibleShare = 0.8;
// Frames wider than this share of the main screen are left from the full-screen grid.
inline constexpr double fullScreenShare = 0.95;
// Assumed width of the main screen when there is none.
inline constexpr int fallbackScreenWidth = 3800;

struct Screens
{
    QList<QRect> available;    // every attached screen's area without panels
    std::optional<QRect> main; // the main screen's full area
    std::optional<QRect> mainAvailable;
};

// Whether at least 80 % of `frame` lies within the available area of some screen.
bool isOnScreen(const QRect &frame, const QList<QRect> &available);

// The card's new frame. `base` is the frame to start from (the card's frame from before the
// full-screen grid, else the window's current one); `firstTime` is true at launch.
QRect place(const QRect &base, const QSize &size, bool firstTime, const Screens &screens);

// `frame` moved the least distance that puts it inside the free area of the screen it overlaps
// most (its top-left corner stays inside when the frame is larger than that area). A card grown
// past a screen's edge is pulled back in, instead of being left to the window manager.
QRect keepWithin(const QRect &frame, const QList<QRect> &available);

} // namespace CardPlacement
