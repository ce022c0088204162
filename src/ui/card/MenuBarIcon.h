// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>

// The tray icon: three small squares growing darker from left to right, drawn in one colour
// like a template image so it reads as part of the panel.
namespace MenuBarIcon {

// The accessible name of the tray item.
QString accessibleName();

// The 22 × 16 picture in `colour` at the given device pixel ratio.
QImage image(const QColor &colour, qreal scale = 1);

// The picture in the colour of the panel's text, at normal and double density.
QIcon icon();

} // namespace MenuBarIcon
