// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSizeF>

// How the full-screen grid divides the screen among the rendered pages: the arrangement of at
// most three columns and rows that gives the pages the most area, preferring fewer pages unless
// more of them are clearly (5 %) bigger in total.
namespace FullScreenLayout {

// The margins around the grid: 32 outside the glass panel and 56 inside it, on each side.
inline constexpr double outerMargin = 32;
inline constexpr double innerMargin = 56;
// Between neighbouring pages, both ways.
inline constexpr double spacing = 48;
// Pages narrower than this are not worth splitting the screen for.
inline constexpr double minimumPageWidth = 900;

struct Choice
{
    int columns = 1;
    int rows = 1;
    double width = 0; // the page width, before it is fitted to the look

    int cells() const { return columns * rows; }
    friend bool operator==(const Choice &, const Choice &) = default;
};

// The area left for pages inside a full-screen window of the given size.
QSizeF usableSize(const QSizeF &available);

// The grid for `viewCount` rendered views in the usable area.
Choice choose(int viewCount, const QSizeF &usable);

} // namespace FullScreenLayout
