// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "PagePaint.h"

#include <QRectF>

// The slide: the new page pushes the old one out, moving on a spring and fading as it goes.
namespace SlideTransition {

// Paints the slide at `progress` (0 to 1, linear in time). With `fromTrailing` the new page comes
// in from the trailing edge (the right in left-to-right layouts), otherwise from the leading one.
void paint(QPainter &painter, const QRectF &page, double progress, bool fromTrailing, const PagePaint &leaving,
           const PagePaint &arriving);

} // namespace SlideTransition
