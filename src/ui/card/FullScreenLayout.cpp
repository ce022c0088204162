// SPDX-License-Identifier: GPL-3.0-or-later
#include "FullScreenLayout.h"

#include "kit/CardGeometry.h"

#include <algorithm>
#include <array>
#include <utility>

namespace FullScreenLayout {

namespace {

constexpr double aspect = CardGeometry::screenAspect;

// Candidates in order of preference: one page, then two, then four, then three.
constexpr std::array<std::pair<int, int>, 6> candidates{{{1, 1}, {1, 2}, {2, 1}, {2, 2}, {1, 3}, {3, 1}}};

bool fits(int viewCount, int cells)
{
    if (viewCount > 1)
        return viewCount >= cells;
    return cells == 1;
}

double pageWidth(int columns, int rows, const QSizeF &usable)
{
    const double byWidth = (usable.width() - (columns - 1) * spacing) / columns;
    const double byHeight = ((usable.height() - (rows - 1) * spacing) / rows) * aspect;
    return std::max(0.0, std::min(byWidth, byHeight));
}

// The total page area of a candidate.
double score(double width, int cells)
{
    return width * width / aspect * cells;
}

} // namespace

QSizeF usableSize(const QSizeF &available)
{
    const double margins = 2 * (outerMargin + innerMargin);
    return QSizeF(available.width() - margins, available.height() - margins);
}

Choice choose(int viewCount, const QSizeF &usable)
{
    Choice best{1, 1, std::max(0.0, std::min(usable.height() * aspect, usable.width()))};
    double bestScore = 0;
    for (const auto &[columns, rows] : candidates) {
        const int cells = columns * rows;
        if (!fits(viewCount, cells))
            continue;
        const double width = pageWidth(columns, rows, usable);
        if (width < minimumPageWidth && cells != 1)
            continue;
        const double candidateScore = score(width, cells);
        if (candidateScore > 1.05 * bestScore) {
            best = Choice{columns, rows, width};
            bestScore = candidateScore;
        }
    }
    return best;
}

} // namespace FullScreenLayout
