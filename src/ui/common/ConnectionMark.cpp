// SPDX-License-Identifier: GPL-3.0-or-later
#include "ConnectionMark.h"

#include "ConnectionSymbols.h"
#include "SymbolIcon.h"
#include "UiStyle.h"
#include "kit/Provider.h"
#include "platform/Paths.h"

#include <QEvent>
#include <QFileInfo>
#include <QFontInfo>
#include <QImageReader>
#include <QPainter>
#include <QSvgRenderer>
#include <algorithm>

namespace {

constexpr int logoInset = 2;
const QString fallbackSymbol = QStringLiteral("app");

// Whether every visible pixel of `picture` is a shade of grey: a "colour" logo without colour.
bool isNeutral(const QPixmap &picture)
{
    constexpr int visibleAlpha = 32;
    constexpr float greySaturation = 0.25f;
    const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(line[x]) >= visibleAlpha && QColor(line[x]).hsvSaturationF() > greySaturation)
                return false;
        }
    }
    return true;
}

QPixmap svgPicture(const QString &path, int pixels)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    QPixmap picture(pixels, pixels);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Keeps the logo's proportions inside the square.
    QSizeF size = renderer.defaultSize();
    if (size.isEmpty())
        size = QSizeF(pixels, pixels);
    size.scale(pixels, pixels, Qt::KeepAspectRatio);
    renderer.render(&painter, QRectF(QPointF((pixels - size.width()) / 2, (pixels - size.height()) / 2), size));
    return picture;
}

QPixmap bitmapPicture(const QString &path, int pixels)
{
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    return QPixmap::fromImage(image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation));
}

} // namespace

ConnectionMark::ConnectionMark(const QString &logo, const QString &symbol, QWidget *parent, int size)
    : QWidget(parent)
    , m_logo(logo)
    , m_symbol(symbol)
    , m_side(size)
{
    setFixedSize(m_side, m_side);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    if (!m_logo.isEmpty()) {
        const auto file = findLogo(m_logo, logosDir());
        m_fallback = !file || renderLogo(*file, 1.0).isNull();
    }
}

ConnectionMark *ConnectionMark::logo(const QString &name, QWidget *parent, int size)
{
    return new ConnectionMark(name, QString(), parent, size);
}

ConnectionMark *ConnectionMark::symbol(const QString &name, QWidget *parent)
{
    return new ConnectionMark(QString(), name, parent);
}

std::optional<ConnectionMark::LogoFile> ConnectionMark::findLogo(const QString &name, const QString &logosDir)
{
    if (name.isEmpty())
        return std::nullopt;
    const QString base = logosDir + QLatin1Char('/') + name;
    // A provider's row says whether its mark has a form in its own colours.
    const Provider *provider = Provider::withLogo(name);
    QList<LogoFile> candidates;
    if (!provider || provider->colouredLogoFile)
        candidates.append({base + QStringLiteral("-color.svg"), false});
    candidates.append({base + QStringLiteral(".png"), true});
    candidates.append({base + QStringLiteral(".svg"), true});
    for (const LogoFile &candidate : candidates) {
        if (QFileInfo(candidate.path).isFile())
            return candidate;
    }
    return std::nullopt;
}

QString ConnectionMark::logosDir()
{
    return Paths::resourcesDir() + QStringLiteral("/logos");
}

void ConnectionMark::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    if (m_cache.isNull() || !qFuzzyCompare(m_cache.devicePixelRatio(), ratio))
        m_cache = render(ratio);
    if (m_cache.isNull())
        return;
    QPainter painter(this);
    const QSizeF size = m_cache.deviceIndependentSize();
    painter.drawPixmap(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), m_cache);
}

void ConnectionMark::changeEvent(QEvent *event)
{
    // Templates and symbols take their colour from the palette.
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::FontChange) {
        m_cache = QPixmap();
        update();
    }
    QWidget::changeEvent(event);
}

QPixmap ConnectionMark::render(qreal devicePixelRatio)
{
    if (!m_symbol.isEmpty())
        return renderSymbol(m_symbol, UiStyle::red(palette()), devicePixelRatio);
    if (!m_fallback) {
        if (const auto file = findLogo(m_logo, logosDir()))
            return renderLogo(*file, devicePixelRatio);
    }
    return renderSymbol(fallbackSymbol, palette().color(QPalette::WindowText), devicePixelRatio);
}

QPixmap ConnectionMark::renderLogo(const LogoFile &file, qreal devicePixelRatio) const
{
    const int pixels = qRound((m_side - 2 * logoInset) * devicePixelRatio);
    QPixmap picture =
        file.path.endsWith(QStringLiteral(".svg")) ? svgPicture(file.path, pixels) : bitmapPicture(file.path, pixels);
    if (picture.isNull())
        return {};
    // A grey logo drawn in its own colours all but vanishes on a dark panel; there it takes the
    // text colour, as a template does.
    const bool greyOnDark = !file.isTemplate && UiStyle::isDark(palette()) && isNeutral(picture);
    if (file.isTemplate || greyOnDark)
        picture = SymbolIcon::tinted(picture, palette().color(QPalette::WindowText));
    picture.setDevicePixelRatio(devicePixelRatio);
    return picture;
}

QPixmap ConnectionMark::renderSymbol(const QString &symbol, const QColor &colour, qreal devicePixelRatio) const
{
    const QFont title = UiStyle::font(font(), UiStyle::Text::Title2);
    const int size = std::min(m_side, QFontInfo(title).pixelSize() + 4);
    return ConnectionSymbols::pixmap(symbol, size, colour, devicePixelRatio);
}
