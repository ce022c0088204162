#include "ConnectionSymbols.h"

#include <QHash>
#include <QPainter>
#include <QStandardPaths>

namespace ConnectionSymbols {

namespace {

bool isUnset(const QString &theme)
{
    return theme.isEmpty() || theme == QLatin1String("hicolor");
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

QIcon themed(const QString &symbol)
{
    ensureSymbolTheme();
    const QString name = themeName(symbol);
    const QIcon symbolic = QIcon::fromTheme(name + QStringLiteral("-symbolic"));
    return symbolic.isNull() ? QIcon::fromTheme(name) : symbolic;
}

} // namespace

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
    const QIcon icon = themed(symbol);
    if (icon.isNull() || size <= 0)
        return {};
    const int pixels = qRound(size * devicePixelRatio);
    QPixmap shape = icon.pixmap(QSize(pixels, pixels));
    if (shape.isNull())
        return {};
    if (shape.width() != pixels)
        shape = shape.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation);

    QPixmap tinted(shape.size());
    tinted.fill(Qt::transparent);
    QPainter painter(&tinted);
    painter.drawPixmap(0, 0, shape);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(tinted.rect(), colour);
    painter.end();
    tinted.setDevicePixelRatio(devicePixelRatio);
    return tinted;
}

QIcon icon(const QString &symbol, const QColor &colour)
{
    QIcon result;
    QColor disabled = colour;
    disabled.setAlphaF(colour.alphaF() * 0.35f);
    for (int size : {16, 22, 32}) {
        result.addPixmap(pixmap(symbol, size, colour, 1.0), QIcon::Normal);
        result.addPixmap(pixmap(symbol, size, disabled, 1.0), QIcon::Disabled);
    }
    return result;
}

} // namespace ConnectionSymbols
