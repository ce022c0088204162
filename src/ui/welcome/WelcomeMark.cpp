// SPDX-License-Identifier: GPL-3.0-or-later
#include "WelcomeMark.h"

#include <QPainter>

namespace {

constexpr double gapRatio = 0.2;
constexpr double opacities[] = {0.3, 0.6, 1.0};

} // namespace

WelcomeMark::WelcomeMark(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

QSize WelcomeMark::sizeHint() const
{
    const int squares = int(std::size(opacities));
    return {qRound(height * (squares + gapRatio * (squares - 1))), height};
}

void WelcomeMark::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const double side = height;
    double x = 0;
    for (const double opacity : opacities) {
        QColor colour = palette().color(QPalette::WindowText);
        colour.setAlphaF(float(opacity));
        painter.setBrush(colour);
        painter.drawRect(QRectF(x, 0, side, side));
        x += side * (1 + gapRatio);
    }
}
