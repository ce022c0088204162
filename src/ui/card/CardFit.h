// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSizeF>
#include <optional>

// How much room the card gives itself around its page: the inset between the card's edge and
// the page, and the transparent margin around the card inside its window.
struct CardTrim
{
    double inset = 0;
    double margin = 0;

    bool operator==(const CardTrim &) const = default;
};

// Fits the card window into a screen's free area. A page that fits with its usual inset and
// margin keeps them; a wider one (Panel Pixels draws 1360 whole pixels, wider than the card
// and its frame on a 1366 screen) gives up the margin first and then the inset, in whole
// pixels, so the page itself never shrinks.
namespace CardFit {

// The trim for a page of `pageWidth` in `available` (both in the window system's pixels), or
// nothing when the page alone is wider or taller than the area.
std::optional<CardTrim> fit(double pageWidth, const QSizeF &available);

// The usual trim: the card's inset for the page width and the 16-pixel window margin.
CardTrim usual(double pageWidth);

// The card window's size for a page and a trim.
QSizeF windowSize(double pageWidth, const CardTrim &trim);

} // namespace CardFit
