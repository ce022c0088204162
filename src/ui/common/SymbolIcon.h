// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// One-colour symbols for the editor, from the desktop's icon theme by freedesktop name. The
// "-symbolic" form of a name is preferred, and every symbol is painted in the colour asked for,
// so a symbol reads the same on a badge, a button or a label.
namespace SymbolIcon {

// Empty when the theme has no icon of that name.
QPixmap pixmap(const QString &name, int size, const QColor &colour, qreal devicePixelRatio);

// The symbol as an icon for buttons and actions, in `colour`, with a paler disabled form.
QIcon icon(const QString &name, const QColor &colour);

// Paints every opaque pixel of `picture` in `colour`, keeping its shape and edges.
QPixmap tinted(const QPixmap &picture, const QColor &colour);

} // namespace SymbolIcon
