// SPDX-License-Identifier: GPL-3.0-or-later
#include "SymbolIcon.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QStandardPaths>

namespace {

bool isUnset(const QString &theme)
{
    return theme.isEmpty() || theme == QStringLiteral("hicolor");
}

// Without a desktop's platform theme (a bare X session, the offscreen platform) Qt names no icon
// theme and searches no icon folder but its own resources. The system's icon folders are then
// searched too, and GNOME's Adwaita, which has every symbol used here, stands in for the theme.
void ensureSymbolTheme()
{
    static const bool done = [] {
        QStringList paths = QIcon::themeSearchPaths();
        const QStringList systemFolders = QStandardPaths::locateAll(
            QStandardPaths::GenericDataLocation, QStringLiteral("icons"), QStandardPaths::LocateDirectory);
        for (const QString &folder : systemFolders) {
            if (!paths.contains(folder))
                paths.append(folder);
        }
        QIcon::setThemeSearchPaths(paths);
        if (isUnset(QIcon::themeName()))
            QIcon::setThemeName(QStringLiteral("Adwaita"));
        if (isUnset(QIcon::fallbackThemeName()))
            QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
        return true;
    }();
    Q_UNUSED(done);
}

QIcon themedExactly(const QString &name)
{
    const QIcon symbolic = QIcon::fromTheme(name + QStringLiteral("-symbolic"));
    return symbolic.isNull() ? QIcon::fromTheme(name) : symbolic;
}

// The icon naming rule: a name not in the theme falls back to its shorter, more general forms
// ("utilities-system-monitor", "utilities-system", …); failing all, a general system symbol, so
// a badge never stands empty.
QIcon themed(const QString &name)
{
    ensureSymbolTheme();
    QString candidate = name;
    while (!candidate.isEmpty()) {
        const QIcon found = themedExactly(candidate);
        if (!found.isNull())
            return found;
        const qsizetype dash = candidate.lastIndexOf(u'-');
        candidate = dash > 0 ? candidate.left(dash) : QString();
    }
    return themedExactly(QStringLiteral("applications-system"));
}

QList<qreal> densities()
{
    QList<qreal> ratios{1.0, 2.0};
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (!ratios.contains(screen->devicePixelRatio()))
            ratios.append(screen->devicePixelRatio());
    }
    return ratios;
}

} // namespace

namespace SymbolIcon {

QPixmap pixmap(const QString &name, int size, const QColor &colour, qreal devicePixelRatio)
{
    const QIcon icon = themed(name);
    if (icon.isNull() || size <= 0)
        return {};
    const int pixels = qRound(size * devicePixelRatio);
    // Asked at the density wanted: without it the icon takes the application's, and at scale 2
    // a picture of twice the pixels would come back, marked as such, to be drawn at half size.
    QPixmap shape = icon.pixmap(QSize(size, size), devicePixelRatio);
    if (shape.isNull())
        return {};
    // From here on in device pixels.
    shape.setDevicePixelRatio(1);
    if (shape.width() != pixels)
        shape = shape.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);

    QPixmap result = tinted(shape, colour);
    result.setDevicePixelRatio(devicePixelRatio);
    return result;
}

QPixmap tinted(const QPixmap &picture, const QColor &colour)
{
    QPixmap result(picture.size());
    // The same density as the picture, so that it fills the result whatever its own.
    result.setDevicePixelRatio(picture.devicePixelRatio());
    result.fill(Qt::transparent);
    QPainter painter(&result);
    painter.drawPixmap(0, 0, picture);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(result.rect(), colour);
    return result;
}

QIcon icon(const QString &name, const QColor &colour)
{
    QIcon result;
    QColor disabled = colour;
    disabled.setAlphaF(colour.alphaF() * 0.35f);
    // Drawn for every density the screens have, so a screen at scale 2 gets whole-pixel
    // symbols rather than scale-1 ones blown up or left at half size.
    for (const qreal ratio : densities()) {
        for (int size : {16, 22, 32}) {
            result.addPixmap(pixmap(name, size, colour, ratio), QIcon::Normal);
            result.addPixmap(pixmap(name, size, disabled, ratio), QIcon::Disabled);
        }
    }
    return result;
}

} // namespace SymbolIcon
