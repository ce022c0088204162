// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConnectionSymbols.h"

#include "SymbolIcon.h"

#include <QHash>

namespace ConnectionSymbols {

QString themeName(const QString &symbol)
{
    static const QHash<QString, QString> names{
        {QStringLiteral("calendar"), QStringLiteral("x-office-calendar")},
        {QStringLiteral("app"), QStringLiteral("application-x-executable")},
        {QStringLiteral("arrow.clockwise"), QStringLiteral("view-refresh")},
        {QStringLiteral("exclamationmark.triangle"), QStringLiteral("dialog-warning")},
    };
    return names.value(symbol, symbol);
}

QPixmap pixmap(const QString &symbol, int size, const QColor &colour, qreal devicePixelRatio)
{
    return SymbolIcon::pixmap(themeName(symbol), size, colour, devicePixelRatio);
}

QIcon icon(const QString &symbol, const QColor &colour)
{
    return SymbolIcon::icon(themeName(symbol), colour);
}

} // namespace ConnectionSymbols
