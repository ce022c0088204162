// SPDX-License-Identifier: GPL-3.0-or-later
#include "MenuBarIcon.h"

#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <array>

namespace MenuBarIcon {

namespace {

constexpr QSize logicalSize(22, 16);
constexpr int squareSide = 6;
constexpr int squareTop = 5;
constexpr std::array<std::pair<int, double>, 3> squares{{{0, 0.35}, {8, 0.65}, {16, 1.0}}};

constexpr double rimWidth = 1;

QColor outline(const QColor &colour)
{
    return colour.lightnessF() < 0.5 ? QColor(255, 255, 255, 230) : QColor(0, 0, 0, 230);
}

} // namespace

QString accessibleName()
{
    return QStringLiteral("Tessarine");
}

QImage image(const QColor &colour, qreal scale)
{
    QImage picture(logicalSize * scale, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(scale);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    // Every square is framed twice, in the opposite tone and then in the solid text colour, so
    // the icon reads on a dark panel as on a light one, whichever colour the panel's text has;
    // the shades of the three squares show inside the frames.
    const QColor rim = outline(colour);
    QColor solid = colour;
    solid.setAlphaF(1);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    for (const auto &[x, alpha] : squares) {
        const QRectF square(x, squareTop, squareSide, squareSide);
        painter.fillRect(square, rim);
        painter.fillRect(square.adjusted(rimWidth, rimWidth, -rimWidth, -rimWidth), solid);
        QColor fill = colour;
        fill.setAlphaF(float(alpha * colour.alphaF()));
        const double inner = 2 * rimWidth;
        painter.fillRect(square.adjusted(inner, inner, -inner, -inner), fill);
    }
    return picture;
}

QIcon icon()
{
    const QColor text = QGuiApplication::palette().color(QPalette::WindowText);
    QIcon result;
    for (const qreal scale : {1.0, 2.0})
        result.addPixmap(QPixmap::fromImage(image(text, scale)));
    return result;
}

} // namespace MenuBarIcon
