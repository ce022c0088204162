// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PagePaint.h"

#include <QRectF>
#include <QTransform>

// The flip: like a wall-calendar leaf turning over its top binding, the old page swings up and
// away about its top edge, then the new one swings down into place, each in half the time.
namespace CalendarFlip {

// How deep the perspective is, relative to the page's longer side.
inline constexpr double perspective = 0.35;

// The page turned by `degrees` about the horizontal line through its top edge, seen in
// perspective from straight in front of that edge. Positive angles lift the bottom edge towards
// the viewer.
QTransform swing(const QRectF &page, double degrees);

// Paints the flip at `progress` (0 to 1, linear in time) in `page`.
void paint(QPainter &painter, const QRectF &page, double progress, const PagePaint &leaving, const PagePaint &arriving);

} // namespace CalendarFlip
