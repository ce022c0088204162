// SPDX-License-Identifier: GPL-3.0-or-later
#include "ScreenImage.h"

#include "CardStyle.h"
#include "model/FrameModel.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QTextOption>

namespace {

// Enough for the pages of a full-screen grid in both appearances.
constexpr qsizetype scaledCacheLimit = 16;

QString cacheKey(const QImage &image, const QSize &pixels)
{
    return QStringLiteral("%1@%2x%3").arg(image.cacheKey()).arg(pixels.width()).arg(pixels.height());
}

QPainterPath roundedPath(const QRectF &rect, double radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

// The size in device pixels of `rect` at rest. A transition's transform is left out on
// purpose: the page is scaled once and then only moved, faded or swung.
QSize devicePixels(const QPainter &painter, const QRectF &rect)
{
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    return (rect.size() * ratio).toSize().expandedTo(QSize(1, 1));
}

} // namespace

ScreenImage::ScreenImage(const FrameModel &model)
    : m_model(model)
{}

QString ScreenImage::placeholderText() const
{
    if (m_model.welcoming())
        return QStringLiteral("Welcome to Tessarine. Choose your first pages in the welcome window.");
    return m_model.errorLine().value_or(QStringLiteral("Waiting for the first refresh…"));
}

void ScreenImage::paint(QPainter &painter, const QRectF &rect, double radius, const QString &view, bool dark)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(roundedPath(rect, radius), Qt::IntersectClip);
    if (m_model.flash() == Flash::None)
        paintContent(painter, rect, radius, view, dark);
    else if (m_model.flash() == Flash::Dark)
        paintFlashOverlay(painter, rect, radius, dark);
    painter.restore();
}

void ScreenImage::paintContent(QPainter &painter, const QRectF &rect, double radius, const QString &view, bool dark)
{
    const QImage image = m_model.image(view, dark);
    // Painted as the look it was drawn in: just after a look change that can still be the
    // previous look.
    const bool panel = m_model.picturesLook() == ScreenLook::Panel;
    if (panel)
        paintPanel(painter, rect, radius, image);
    else if (!image.isNull())
        paintPicture(painter, rect, image);
    // On the panel's paper the text is always dark.
    if (image.isNull())
        paintPlaceholder(painter, rect, dark && !panel);
}

void ScreenImage::paintPanel(QPainter &painter, const QRectF &rect, double radius, const QImage &image)
{
    painter.fillPath(roundedPath(rect, radius), CardStyle::paper());
    if (image.isNull())
        return;
    // Nearest pixel, multiplied onto the paper: the panel's white becomes paper and every
    // rendered pixel lands on one screen pixel.
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.setCompositionMode(QPainter::CompositionMode_Multiply);
    painter.drawImage(rect, image);
    painter.restore();
}

void ScreenImage::paintPicture(QPainter &painter, const QRectF &rect, const QImage &image)
{
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect, scaledFor(image, devicePixels(painter, rect)));
    painter.restore();
}

void ScreenImage::paintPlaceholder(QPainter &painter, const QRectF &rect, bool dark) const
{
    painter.save();
    QFont callout = QApplication::font();
    callout.setPointSizeF(callout.pointSizeF() * 12.0 / 13.0);
    painter.setFont(callout);
    painter.setPen(CardStyle::secondaryText(dark));
    QTextOption centred(Qt::AlignCenter);
    centred.setWrapMode(QTextOption::WordWrap);
    const double margin = rect.height() * 0.12;
    painter.drawText(rect.adjusted(margin, margin, -margin, -margin), placeholderText(), centred);
    painter.restore();
}

void ScreenImage::paintFlashOverlay(QPainter &painter, const QRectF &rect, double radius, bool dark) const
{
    QColor ink = CardStyle::primaryForeground(dark);
    ink.setAlphaF(0.85f);
    painter.fillPath(roundedPath(rect, radius), ink);
}

const QImage &ScreenImage::scaledFor(const QImage &image, const QSize &pixels)
{
    const QString key = cacheKey(image, pixels);
    auto found = m_scaled.constFind(key);
    if (found != m_scaled.cend())
        return *found;
    if (m_scaled.size() >= scaledCacheLimit)
        m_scaled.clear();
    // Palette and grey images would be scaled within their few colours, which dithers; scale
    // true colour instead.
    const QImage source = image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32_Premultiplied)
                                                  : image.convertToFormat(QImage::Format_RGB32);
    const QImage scaled =
        source.size() == pixels ? source : source.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return *m_scaled.insert(key, scaled);
}
