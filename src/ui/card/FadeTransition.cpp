// SPDX-License-Identifier: GPL-3.0-or-later
#include "FadeTransition.h"

#include "PageTransitionStyle.h"

#include <QPainter>

namespace FadeTransition {

void paint(QPainter &painter, double progress, const PagePaint &leaving, const PagePaint &arriving)
{
    const double shown = PageTransitionStyle::easeInOut(progress);
    const double base = painter.opacity();
    if (shown < 1) {
        painter.setOpacity(base * (1 - shown));
        leaving(painter);
    }
    if (shown > 0) {
        painter.setOpacity(base * shown);
        arriving(painter);
    }
    painter.setOpacity(base);
}

} // namespace FadeTransition
