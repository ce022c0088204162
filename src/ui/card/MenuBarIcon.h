// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>

// The tray icon: three small squares growing darker from left to right, drawn in the panel's
// text colour like a template image, each framed in the opposite tone and in the solid text
// colour so that it stays legible on light and dark panels alike.
namespace MenuBarIcon {

// The accessible name of the tray item.
QString accessibleName();

// The 22 × 16 picture in `colour` at the given device pixel ratio.
QImage image(const QColor &colour, qreal scale = 1);

// The picture in the colour of the panel's text, at normal and double density.
QIcon icon();

} // namespace MenuBarIcon
