// SPDX-License-Identifier: GPL-3.0-or-later
#include "SoftShadow.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace {

// One horizontal then one vertical running-sum pass over the alpha channel.
void boxBlur(QImage &image, int radius)
{
    const int width = image.width();
    const int height = image.height();
    const int window = 2 * radius + 1;
    QList<int> line(std::max(width, height));

    auto blurLine = [&](int count, auto alphaAt, auto setAlpha) {
        for (int i = 0; i < count; ++i)
            line[i] = alphaAt(i);
        int sum = 0;
        for (int i = -radius; i <= radius; ++i)
            sum += (i >= 0 && i < count) ? line[i] : 0;
        for (int i = 0; i < count; ++i) {
            setAlpha(i, sum / window);
            const int leaving = i - radius;
            const int entering = i + radius + 1;
            sum -= (leaving >= 0) ? line[leaving] : 0;
            sum += (entering < count) ? line[entering] : 0;
        }
    };

    for (int y = 0; y < height; ++y) {
        uchar *row = image.scanLine(y);
        const auto read = [&](int x) { return int(row[x]); };
        blurLine(width, read, [&](int x, int value) { row[x] = uchar(value); });
    }
    for (int x = 0; x < width; ++x) {
        blurLine(
            height, [&](int y) { return int(image.scanLine(y)[x]); },
            [&](int y, int value) { image.scanLine(y)[x] = uchar(value); });
    }
}

} // namespace

namespace SoftShadow {

QImage image(const QSizeF &size, double cornerRadius, int radius, const QColor &colour, qreal devicePixelRatio)
{
    const int margin = qRound(radius * devicePixelRatio);
    const QSize shape = (size * devicePixelRatio).toSize();
    if (shape.isEmpty())
        return {};

    QImage mask(shape + QSize(2 * margin, 2 * margin), QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(QPointF(margin, margin), QSizeF(shape)), cornerRadius * devicePixelRatio,
                            cornerRadius * devicePixelRatio);
        painter.fillPath(path, Qt::black);
    }
    // Three box blurs of a third of the radius come close to a Gaussian of that radius.
    const int pass = std::max(1, margin / 3);
    for (int i = 0; i < 3; ++i)
        boxBlur(mask, pass);

    QImage shadow(mask.size(), QImage::Format_ARGB32_Premultiplied);
    shadow.fill(colour);
    {
        QPainter painter(&shadow);
        painter.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        painter.drawImage(0, 0, mask);
    }
    shadow.setDevicePixelRatio(devicePixelRatio);
    return shadow;
}

} // namespace SoftShadow
