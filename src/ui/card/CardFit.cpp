// SPDX-License-Identifier: GPL-3.0-or-later
#include "CardFit.h"

#include "CardStyle.h"

#include <algorithm>
#include <cmath>

namespace CardFit {

CardTrim usual(double pageWidth)
{
    return CardTrim{CardStyle::inset(pageWidth), CardStyle::windowMargin};
}

QSizeF windowSize(double pageWidth, const CardTrim &trim)
{
    const double frame = 2 * (trim.inset + trim.margin);
    return QSizeF(pageWidth + frame, CardStyle::pageHeight(pageWidth) + frame);
}

std::optional<CardTrim> fit(double pageWidth, const QSizeF &available)
{
    const CardTrim normal = usual(pageWidth);
    const QSizeF needed = windowSize(pageWidth, normal);
    if (needed.width() <= available.width() && needed.height() <= available.height())
        return normal;
    const double spareWidth = available.width() - pageWidth;
    const double spareHeight = available.height() - CardStyle::pageHeight(pageWidth);
    // Room on each side, in whole pixels, so the page stays on the pixel grid.
    const double room = std::floor(std::min(spareWidth, spareHeight) / 2);
    if (room < 0)
        return std::nullopt;
    const double margin = std::clamp(room - normal.inset, 0.0, normal.margin);
    return CardTrim{std::min(normal.inset, room - margin), margin};
}

} // namespace CardFit
