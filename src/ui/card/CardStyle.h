// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

// The measures and colours shared by the card and the full-screen grid. Every length follows
// from the page width w: the inset p between the card's edge and the page is w × 0.04 rounded
// to a whole number, the page's corner radius is p × 0.4 and the card's is p × 1.25.
namespace CardStyle {

// The margin around the card inside its window, where a swinging page may reach.
inline constexpr double windowMargin = 16;

double inset(double pageWidth);
double pageRadius(double pageWidth);
double bodyRadius(double pageWidth);
double pageHeight(double pageWidth);

// The e-paper colour the panel look is printed on.
QColor paper();

// A translucent rounded body standing in for frosted glass: a light or dark veil with a fine
// edge, so the card reads on any wallpaper. `opaque` paints the same body without translucency.
void paintGlass(QPainter &painter, const QRectF &rect, double radius, bool dark, bool opaque = false);

// The colour of secondary text on the card.
QColor secondaryText(bool dark);
// The colour of primary text, used for the dark phase of the e-paper flash.
QColor primaryForeground(bool dark);

} // namespace CardStyle
