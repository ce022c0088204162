// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QImage>
#include <QRectF>
#include <QString>

class FrameModel;
class QPainter;

// Draws one rendered page into its place on the card: the page image (on e-paper for the panel
// look), or a line saying why there is none; hidden while an e-paper flash runs, and covered by
// the flash's dark phase. Keeps the images scaled to the size they are drawn at, so each frame
// of an animation only copies pixels.
class ScreenImage
{
public:
    explicit ScreenImage(const FrameModel &model);

    // Paints `view` into `rect` with rounded corners of `radius`, for a dark or light desktop.
    // The painter's transform and opacity apply, so transitions can move and fade the page.
    void paint(QPainter &painter, const QRectF &rect, double radius, const QString &view, bool dark);

    // The text shown in place of a missing image.
    QString placeholderText() const;

private:
    void paintContent(QPainter &painter, const QRectF &rect, double radius, const QString &view, bool dark);
    void paintPanel(QPainter &painter, const QRectF &rect, double radius, const QImage &image);
    void paintPicture(QPainter &painter, const QRectF &rect, const QImage &image);
    void paintPlaceholder(QPainter &painter, const QRectF &rect, bool dark) const;
    void paintFlashOverlay(QPainter &painter, const QRectF &rect, double radius, bool dark) const;
    const QImage &scaledFor(const QImage &image, const QSize &pixels);

    const FrameModel &m_model;
    QHash<QString, QImage> m_scaled;
};
