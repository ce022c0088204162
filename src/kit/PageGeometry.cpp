// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageGeometry.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr double canvasWidth = 1360;
constexpr double sideMargin = 40;
constexpr double gutter = 74;
constexpr double slotTop = 0.2;                   // 96 of 480
constexpr double slotHeight = 0.7458333333333333; // 358 of 480
constexpr double smallestWeightSum = 0.0001;

} // namespace

namespace PageGeometry {

QList<QRectF> slotRects(const QList<double> &columns)
{
    if (columns.isEmpty())
        return {};
    const double sum = std::max(std::accumulate(columns.cbegin(), columns.cend(), 0.0), smallestWeightSum);
    const double available = canvasWidth - 2 * sideMargin - gutter * double(columns.size() - 1);

    QList<QRectF> rects;
    rects.reserve(columns.size());
    double x = sideMargin;
    for (double column : columns) {
        const double width = available * column / sum;
        rects.append(QRectF(x / canvasWidth, slotTop, width / canvasWidth, slotHeight));
        x += width + gutter;
    }
    return rects;
}

} // namespace PageGeometry
