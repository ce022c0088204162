// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>

// The one-bit form of a page for a black-and-white panel: exactly 1360 × 480 grey pixels, each
// either 0 or 255.
class PanelPicture
{
public:
    static constexpr int width = 1360;
    static constexpr int height = 480;
    // Grey values above this become white, the rest black.
    static constexpr int threshold = 140;

    // Draws the snapshot onto white at panel size without interpolation and thresholds it. A
    // null snapshot is returned unchanged.
    static QImage fromSnapshot(const QImage &snapshot);

private:
    static QImage greyOnWhite(const QImage &snapshot);
    static void applyThreshold(QImage &grey);
};
