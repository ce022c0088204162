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
    for (const auto &[x, alpha] : squares) {
        QColor fill = colour;
        fill.setAlphaF(float(alpha * colour.alphaF()));
        painter.fillRect(QRectF(x, squareTop, squareSide, squareSide), fill);
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
