// SPDX-License-Identifier: GPL-3.0-or-later
#include "CardStyle.h"

#include "kit/CardGeometry.h"

#include <QPainter>
#include <QPainterPath>

namespace CardStyle {

double inset(double pageWidth)
{
    return CardGeometry::padding(pageWidth);
}

double pageRadius(double pageWidth)
{
    return inset(pageWidth) * 0.4;
}

double bodyRadius(double pageWidth)
{
    return inset(pageWidth) * 1.25;
}

double pageHeight(double pageWidth)
{
    return pageWidth / CardGeometry::screenAspect;
}

QColor paper()
{
    return QColor::fromRgbF(0.925f, 0.914f, 0.886f);
}

void paintGlass(QPainter &painter, const QRectF &rect, double radius, bool dark, bool opaque)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath body;
    body.addRoundedRect(rect, radius, radius);
    const int alpha = opaque ? 255 : 214;
    const QColor veil = dark ? QColor(38, 38, 42, alpha) : QColor(246, 246, 244, alpha);
    if (opaque) {
        // Opaque means no compositing manager: the window's mask, whole pixels along the curve,
        // then takes pixels the smoothed edge only partly covers, and what is left of them shows
        // black. A hard-edged body a pixel larger fills them; the mask trims it.
        QPainterPath underlay;
        underlay.addRoundedRect(rect.adjusted(-1, -1, 1, 1), radius + 1, radius + 1);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.fillPath(underlay, veil);
        painter.setRenderHint(QPainter::Antialiasing);
    }
    painter.fillPath(body, veil);
    // A faint top-lit sheen, as frosted glass catches the light.
    QLinearGradient sheen(rect.topLeft(), rect.bottomLeft());
    sheen.setColorAt(0, dark ? QColor(255, 255, 255, 18) : QColor(255, 255, 255, 70));
    sheen.setColorAt(1, QColor(255, 255, 255, 0));
    painter.fillPath(body, sheen);
    const QColor edge = dark ? QColor(255, 255, 255, 38) : QColor(0, 0, 0, 30);
    painter.setPen(QPen(edge, 1));
    painter.drawPath(body);
    painter.restore();
}

QColor secondaryText(bool dark)
{
    return dark ? QColor(235, 235, 245, 150) : QColor(60, 60, 67, 155);
}

QColor primaryForeground(bool dark)
{
    return dark ? QColor(255, 255, 255) : QColor(0, 0, 0);
}

} // namespace CardStyle
