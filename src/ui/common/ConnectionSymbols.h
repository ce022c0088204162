// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

// The system symbols the connections window names ("calendar", "app", "arrow.clockwise",
// "exclamationmark.triangle") drawn from the desktop's icon theme by their freedesktop names,
// preferring the one-colour "-symbolic" forms, and painted in the colour asked for.
namespace ConnectionSymbols {

// The freedesktop icon name that stands for a symbol name; the name itself when none does.
QString themeName(const QString &symbol);

// A general system symbol stands in when the theme has no such icon.
QPixmap pixmap(const QString &symbol, int size, const QColor &colour, qreal devicePixelRatio);

// For buttons and actions, with a paler disabled form.
QIcon icon(const QString &symbol, const QColor &colour);

} // namespace ConnectionSymbols
