// SPDX-License-Identifier: GPL-3.0-or-later
#include "SlideTransition.h"

#include "PageTransitionStyle.h"

#include <QGuiApplication>
#include <QPainter>
#include <chrono>

namespace SlideTransition {

namespace {

void paintShifted(QPainter &painter, double dx, double opacity, const PagePaint &paintPage)
{
    if (opacity <= 0)
        return;
    painter.save();
    painter.translate(dx, 0);
    painter.setOpacity(painter.opacity() * opacity);
    paintPage(painter);
    painter.restore();
}

} // namespace

void paint(QPainter &painter, const QRectF &page, double progress, bool fromTrailing, const PagePaint &leaving,
           const PagePaint &arriving)
{
    const auto elapsed = PageTransitionStyle::duration(PageTransitionStyle::Kind::PushFromTrailing) * progress;
    const double moved = progress >= 1 ? 1.0 : PageTransitionStyle::spring(elapsed);
    const bool trailingIsRight = QGuiApplication::layoutDirection() != Qt::RightToLeft;
    const double direction = (fromTrailing == trailingIsRight) ? 1.0 : -1.0;
    paintShifted(painter, -direction * page.width() * moved, 1 - moved, leaving);
    paintShifted(painter, direction * page.width() * (1 - moved), moved, arriving);
}

} // namespace SlideTransition
