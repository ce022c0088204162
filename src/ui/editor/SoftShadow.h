// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QImage>
#include <QSizeF>

// A blurred rounded rectangle to paint under a floating shape, standing in for a drop shadow.
// Making one costs a blur, so callers keep the image while the shape's size stays the same.
namespace SoftShadow {

// The shadow of a `size` rounded rectangle, spread by `radius` on every side: the image is
// `radius` larger than the shape all round, and its top-left goes at the shape's top-left minus
// `radius` (plus any offset).
QImage image(const QSizeF &size, double cornerRadius, int radius, const QColor &colour, qreal devicePixelRatio);

} // namespace SoftShadow
