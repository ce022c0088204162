// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSizeF>

// The card around a page image: a border of 4 % of the image width on every side.
namespace CardGeometry {

// Width to height of the 1360 × 480 page canvas.
inline constexpr double screenAspect = 2.8333333333333335;

// The border between the card's edge and the page image, in whole units.
double padding(double contentWidth);

// The card's size for a page image of the given width.
QSizeF size(double contentWidth);

} // namespace CardGeometry
