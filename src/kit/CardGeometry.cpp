// SPDX-License-Identifier: GPL-3.0-or-later
#include "CardGeometry.h"

#include <cmath>

namespace CardGeometry {

double padding(double contentWidth)
{
    return std::round(contentWidth * 0.04); // halves away from zero
}

QSizeF size(double contentWidth)
{
    const double border = padding(contentWidth);
    return QSizeF(contentWidth + 2 * border, contentWidth / screenAspect + 2 * border);
}

} // namespace CardGeometry
