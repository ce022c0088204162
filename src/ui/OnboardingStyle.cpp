#include "OnboardingStyle.h"

#include "ConnectionSymbols.h"
#include "ConnectionsStyle.h"

#include <QHash>
#include <QLabel>
#include <QPalette>
#include <QWidget>

namespace OnboardingStyle {

namespace {

double baseSize(const QFont &base)
{
    return base.pointSizeF() > 0 ? base.pointSizeF() : 10.0;
}

QFont scaled(const QFont &base, double factor, QFont::Weight weight)
{
    QFont result = base;
    result.setPointSizeF(baseSize(base) * factor);
    result.setWeight(weight);
    return result;
}

// The desktop icon that stands for each symbol the welcome flow names.
QString themeName(const QString &symbol)
{
    static const QHash<QString, QString> names{
        {QStringLiteral("person.crop.circle.badge.checkmark"), QStringLiteral("avatar-default")},
        {QStringLiteral("sparkle.magnifyingglass"), QStringLiteral("system-search")},
        {QStringLiteral("rectangle.split.3x1"), QStringLiteral("view-dual")},
        {QStringLiteral("lock"), QStringLiteral("changes-prevent")},
    };
    return names.value(symbol, symbol);
}

} // namespace

QFont font(const QFont &base, Text style)
{
    switch (style) {
    case Text::LargeTitle:
        return scaled(base, 2.3, QFont::Bold);
    case Text::Title:
        return scaled(base, 1.6, QFont::DemiBold);
    case Text::Title3:
        return scaled(base, 1.2, QFont::Normal);
    case Text::Body:
        return scaled(base, 1.0, QFont::Normal);
    case Text::Headline:
        return ConnectionsStyle::font(base, ConnectionsStyle::Text::Headline);
    case Text::Callout:
        return ConnectionsStyle::font(base, ConnectionsStyle::Text::Callout);
    case Text::Caption:
        return ConnectionsStyle::font(base, ConnectionsStyle::Text::Caption);
    }
    return base;
}

QColor tint(const QPalette &palette)
{
    return ConnectionsStyle::blue(palette);
}

QColor secondary(const QPalette &palette)
{
    return ConnectionsStyle::secondary(palette);
}

QColor quaternary(const QPalette &palette)
{
    QColor colour = palette.color(QPalette::WindowText);
    colour.setAlphaF(ConnectionsStyle::isDark(palette) ? 0.25f : 0.18f);
    return colour;
}

QLabel *label(const QString &text, Text style, QWidget *parent, bool secondaryColour, bool wrap)
{
    auto *result = new QLabel(text, parent);
    result->setTextFormat(Qt::PlainText);
    result->setWordWrap(wrap);
    result->setFont(font(parent ? parent->font() : QFont(), style));
    if (secondaryColour) {
        QPalette palette = result->palette();
        palette.setColor(QPalette::WindowText, secondary(palette));
        result->setPalette(palette);
    }
    return result;
}

QWidget *divider(QWidget *parent)
{
    auto *line = new QWidget(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, ConnectionsStyle::separator(palette));
    line->setPalette(palette);
    return line;
}

QPixmap symbol(const QString &name, int size, const QColor &colour, qreal devicePixelRatio)
{
    return ConnectionSymbols::pixmap(themeName(name), size, colour, devicePixelRatio);
}

} // namespace OnboardingStyle
