#include "SymbolIcon.h"

#include <QPainter>
#include <QStandardPaths>

namespace {

// A desktop session names its icon theme and where themes live. Without one (a bare X
// session, the offscreen platform) Qt looks in its own resources only: the system's icon
// folders are added, and GNOME's theme, which has every symbol used here, is chosen.
void ensureSymbolTheme()
{
    static const bool done = [] {
        QStringList paths = QIcon::themeSearchPaths();
        const QStringList system = QStandardPaths::locateAll(QStandardPaths::GenericDataLocation,
                                                             QStringLiteral("icons"), QStandardPaths::LocateDirectory);
        for (const QString &path : system) {
            if (!paths.contains(path))
                paths.append(path);
        }
        QIcon::setThemeSearchPaths(paths);
        if (QIcon::themeName().isEmpty())
            QIcon::setThemeName(QStringLiteral("Adwaita"));
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

} // namespace

namespace SymbolIcon {

QPixmap pixmap(const QString &name, int size, const QColor &colour, qreal devicePixelRatio)
{
    const QIcon icon = themed(name);
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

QIcon icon(const QString &name, const QColor &colour)
{
    QIcon result;
    QColor disabled = colour;
    disabled.setAlphaF(colour.alphaF() * 0.35f);
    for (int size : {16, 22, 32}) {
        result.addPixmap(pixmap(name, size, colour, 1.0), QIcon::Normal);
        result.addPixmap(pixmap(name, size, disabled, 1.0), QIcon::Disabled);
    }
    return result;
}

} // namespace SymbolIcon
