// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/FrameSize.h"

#include <QList>
#include <QObject>
#include <QSizeF>

class FrameModel;
class QScreen;

// Keeps the model's pictures decoded at the size the card can show them on the screens there
// are: the Large page width times the sharpest screen's pixel ratio, or in full screen the width
// the grid gives a page on the largest screen. The pictures are drawn 4080 pixels wide; holding
// them at that size would cost 23.5 MB each. Screens coming and going, changing size or scale,
// the card's size and the number of pages all set the width again (the model reloads the
// pictures when it changes).
class PictureResolution : public QObject
{
    Q_OBJECT
public:
    struct Screen
    {
        QSizeF available; // in device-independent pixels
        qreal pixelRatio = 1;
    };

    explicit PictureResolution(FrameModel &model, QObject *parent = nullptr);

    // The widest picture, in pixels, a card of `size` showing `viewCount` pages can show on
    // `screens`; the Large card's width at the least.
    static int widthFor(FrameSize size, int viewCount, const QList<Screen> &screens);

    void update();
    // Shows the card on a surface of this scale although the screens Qt knows are less sharp
    // (the layer-shell card, whose output XWayland reports at scale 1).
    void setLeastPixelRatio(qreal ratio);

private:
    void watch(QScreen *screen);

    FrameModel &m_model;
    qreal m_leastRatio = 1;
};
