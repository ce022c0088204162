#include "EditorStyle.h"

#include <QPalette>
#include <QWidget>

namespace EditorStyle {

namespace {

QColor withAlpha(QColor colour, double alpha)
{
    colour.setAlphaF(float(alpha));
    return colour;
}

} // namespace

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

QFont font(const QWidget &widget, Text style)
{
    return font(widget.font(), style);
}

QFont font(const QFont &base, Text style)
{
    QFont result = base;
    const double size = base.pointSizeF() > 0 ? base.pointSizeF() : 10.0;
    switch (style) {
    case Text::Caption:
        result.setPointSizeF(size * 0.85);
        break;
    case Text::CaptionMedium:
        result.setPointSizeF(size * 0.85);
        result.setWeight(QFont::Medium);
        break;
    case Text::Callout:
        result.setPointSizeF(size * 0.95);
        break;
    case Text::Body:
        break;
    case Text::Headline:
        result.setWeight(QFont::DemiBold);
        break;
    case Text::Title2:
        result.setPointSizeF(size * 1.45);
        result.setWeight(QFont::DemiBold);
        break;
    case Text::SectionHeader:
        result.setPointSizeF(size * 0.9);
        result.setWeight(QFont::DemiBold);
        break;
    }
    return result;
}

QColor primary(const QPalette &palette)
{
    return palette.color(QPalette::WindowText);
}

QColor secondary(const QPalette &palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.55);
}

QColor separator(const QPalette &palette)
{
    return withAlpha(palette.color(QPalette::WindowText), isDark(palette) ? 0.16 : 0.12);
}

QColor accent(const QPalette &palette)
{
    return palette.color(QPalette::Highlight);
}

QColor destructive(const QPalette &palette)
{
    return isDark(palette) ? QColor(255, 69, 58) : QColor(215, 0, 21);
}

QColor underPage(const QPalette &palette)
{
    return isDark(palette) ? QColor(30, 30, 32) : QColor(226, 226, 230);
}

QColor formBackground(const QPalette &palette)
{
    return isDark(palette) ? QColor(36, 36, 38) : QColor(242, 242, 246);
}

QColor formPanel(const QPalette &palette)
{
    return isDark(palette) ? QColor(50, 50, 53) : QColor(255, 255, 255);
}

QColor regularMaterial(const QPalette &palette)
{
    // Opaque: the picture under it is out of date, and its text showing through reads as noise.
    return isDark(palette) ? QColor(40, 40, 42) : QColor(246, 246, 248);
}

QColor thinMaterial(const QPalette &palette)
{
    // Mostly opaque: a tag sits on the page's own figures and must stay legible over them.
    return isDark(palette) ? QColor(52, 52, 56, 235) : QColor(255, 255, 255, 235);
}

QColor paper()
{
    return QColor::fromRgbF(0.925f, 0.914f, 0.886f);
}

QColor pageBackground(bool dark)
{
    return QColor::fromRgbF(dark ? 0.12f : 0.985f, dark ? 0.12f : 0.985f, dark ? 0.12f : 0.985f);
}

} // namespace EditorStyle
