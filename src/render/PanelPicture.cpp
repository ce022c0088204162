// SPDX-License-Identifier: GPL-3.0-or-later
#include "PanelPicture.h"

#include <QPainter>

QImage PanelPicture::fromSnapshot(const QImage &snapshot)
{
    if (snapshot.isNull())
        return snapshot;
    QImage grey = greyOnWhite(snapshot);
    if (grey.isNull())
        return snapshot;
    applyThreshold(grey);
    return grey;
}

QImage PanelPicture::greyOnWhite(const QImage &snapshot)
{
    // Transparent parts of the snapshot sit on white paper, as they do on the panel.
    QImage canvas(width, height, QImage::Format_RGB32);
    if (canvas.isNull())
        return {};
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
        painter.drawImage(QRect(0, 0, width, height), snapshot);
    }
    return canvas.convertToFormat(QImage::Format_Grayscale8);
}

void PanelPicture::applyThreshold(QImage &grey)
{
    for (int y = 0; y < grey.height(); ++y) {
        uchar *row = grey.scanLine(y);
        for (int x = 0; x < grey.width(); ++x)
            row[x] = row[x] > threshold ? 255 : 0;
    }
}
