#pragma once

#include <QHash>
#include <QImage>
#include <QRectF>

class FrameModel;
class QPainter;
struct Page;

// Paints a page's last rendered image as the editor shows it: the image of the page's view in
// the current look, on the page's background (e-paper for the panel look), clipped to a rounded
// rectangle and outlined with a hairline. A page with no image shows the background alone.
// Keeps the images scaled to the sizes last drawn, so thumbnails repaint cheaply.
class PageImage
{
public:
    explicit PageImage(const FrameModel &model);

    void paint(QPainter &painter, const QRectF &rect, const Page &page, double cornerRadius, bool dark,
               const QColor &outline);

    // The picture the last refresh drew from this page: the one named after the position the
    // page held then, not now. A page moved since keeps its own picture instead of showing the
    // one drawn for the page that stood in its place, and a page added since, or given another
    // layout since, has none.
    static QImage lastPicture(const FrameModel &model, const Page &page, bool dark);

private:
    // The image at the pixel size it is drawn at: smoothly scaled, or by nearest pixel for the
    // panel look, whose pixels are the e-paper's own.
    const QImage &scaled(const QImage &image, const QSize &pixels, bool smooth);

    const FrameModel &m_model;
    QHash<QString, QImage> m_scaled;
};
