// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QRectF>

// Where the slots of a page sit on the 1360 × 480 page canvas.
namespace PageGeometry {

// One rectangle per column, left to right, as fractions of the canvas: 40 units in from each
// side, 74-unit gutters, widths in proportion to the column values; every slot runs from 96 to
// 454 units down. All-zero weights give zero widths rather than a division by zero.
QList<QRectF> slotRects(const QList<double> &columns);

} // namespace PageGeometry
