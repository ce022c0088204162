// SPDX-License-Identifier: GPL-3.0-or-later
#include "PageImage.h"

#include "model/FrameModel.h"
#include "ui/common/UiStyle.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

namespace {

// Enough for every thumbnail and the canvas of a long page list at two sizes.
constexpr qsizetype scaledCacheLimit = 64;

} // namespace

PageImage::PageImage(const FrameModel &model)
    : m_model(model)
{}

void PageImage::paint(QPainter &painter, const QRectF &rect, const Page &page, double cornerRadius, bool dark,
                      const QColor &outline)
{
    const bool panel = m_model.look() == ScreenLook::Panel;
    QPainterPath shape;
    shape.addRoundedRect(rect, cornerRadius, cornerRadius);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(shape, panel ? UiStyle::paper() : UiStyle::pageBackground(dark));

    const QImage image = lastPicture(m_model, page, dark);
    if (!image.isNull()) {
        painter.setClipPath(shape);
        const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
        const QSize pixels = (rect.size() * ratio).toSize();
        if (panel)
            painter.setCompositionMode(QPainter::CompositionMode_Multiply);
        painter.drawImage(rect, scaled(image, pixels, !panel));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        painter.setClipping(false);
    }

    // A one-point line drawn inside the edge.
    painter.setPen(QPen(outline, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius - 0.5, cornerRadius - 0.5);
    painter.restore();
}

QImage PageImage::lastPicture(const FrameModel &model, const Page &page, bool dark)
{
    const QList<Page> &drawn = model.renderedPages();
    const auto found =
        std::find_if(drawn.cbegin(), drawn.cend(), [&](const Page &rendered) { return rendered.id == page.id; });
    // A picture drawn for another layout has its columns where the page no longer has them: its
    // text would show between the new slots. The page shows none until it is drawn again.
    if (found == drawn.cend() || found->layout != page.layout)
        return {};
    const QString view = PageDocument::pageName(std::distance(drawn.cbegin(), found));
    return model.image(view, dark);
}

const QImage &PageImage::scaled(const QImage &image, const QSize &pixels, bool smooth)
{
    const QString key = QString::number(image.cacheKey()) + u'@' + QString::number(pixels.width()) + u'x' +
                        QString::number(pixels.height());
    const auto found = m_scaled.constFind(key);
    if (found != m_scaled.constEnd())
        return *found;
    if (m_scaled.size() >= scaledCacheLimit)
        m_scaled.clear();
    const QImage made =
        image.scaled(pixels, Qt::IgnoreAspectRatio, smooth ? Qt::SmoothTransformation : Qt::FastTransformation);
    return *m_scaled.insert(key, made);
}
