// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarFlip.h"

#include "PageTransitionStyle.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace CalendarFlip {

namespace {

// The leaving leaf uses the first half of the time, the arriving one the second.
constexpr double half = 0.5;

void paintSwung(QPainter &painter, const QRectF &page, double degrees, double opacity, const PagePaint &paintPage)
{
    if (opacity <= 0)
        return;
    painter.save();
    painter.setTransform(swing(page, degrees), true);
    painter.setOpacity(painter.opacity() * opacity);
    paintPage(painter);
    painter.restore();
}

} // namespace

QTransform swing(const QRectF &page, double degrees)
{
    const double radians = degrees * std::numbers::pi / 180;
    const double distance = std::max(page.width(), page.height()) / perspective;
    // Row-vector form: a point (x, y) at depth y·sin lies closer by that much, so it is
    // divided by 1 − y·sin/distance.
    const QTransform rotation(1, 0, 0, 0, std::cos(radians), -std::sin(radians) / distance, 0, 0, 1);
    const QPointF anchor(page.center().x(), page.top());
    return QTransform::fromTranslate(-anchor.x(), -anchor.y()) * rotation *
           QTransform::fromTranslate(anchor.x(), anchor.y());
}

void paint(QPainter &painter, const QRectF &page, double progress, const PagePaint &leaving, const PagePaint &arriving)
{
    if (progress < half) {
        const double turned = PageTransitionStyle::easeIn(progress / half);
        paintSwung(painter, page, 90 * turned, 1 - turned, leaving);
        return;
    }
    const double settled = PageTransitionStyle::easeOut(std::min(1.0, (progress - half) / half));
    paintSwung(painter, page, -90 * (1 - settled), settled, arriving);
}

} // namespace CalendarFlip
