// SPDX-License-Identifier: GPL-3.0-or-later
#include "UiStyle.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QPalette>
#include <QPushButton>
#include <QWidget>
#include <cmath>
#include <optional>

namespace UiStyle {

namespace {

QColor byAppearance(const QPalette &palette, QColor light, QColor dark)
{
    return isDark(palette) ? dark : light;
}

QFont scaled(const QFont &base, double factor, std::optional<QFont::Weight> weight = std::nullopt)
{
    QFont result = base;
    const double size = base.pointSizeF() > 0 ? base.pointSizeF() : 10.0;
    result.setPointSizeF(size * factor);
    if (weight)
        result.setWeight(*weight);
    return result;
}

double channel(double value)
{
    return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
}

double luminance(const QColor &colour)
{
    const QColor rgb = colour.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) + 0.0722 * channel(rgb.blueF());
}

QColor mixed(const QColor &from, const QColor &to, double amount)
{
    const QColor a = from.toRgb();
    const QColor b = to.toRgb();
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * amount),
                            float(a.greenF() + (b.greenF() - a.greenF()) * amount),
                            float(a.blueF() + (b.blueF() - a.blueF()) * amount));
}

} // namespace

QFont font(const QFont &base, Text style)
{
    switch (style) {
    case Text::LargeTitle:
        return scaled(base, 2.3, QFont::Bold);
    case Text::Title:
        return scaled(base, 1.6, QFont::DemiBold);
    case Text::Title2:
        return scaled(base, 1.45, QFont::DemiBold);
    case Text::Title3:
        return scaled(base, 1.2, QFont::Normal);
    case Text::Title3Mono: {
        QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        mono.setPointSizeF(scaled(base, 1.3).pointSizeF());
        mono.setWeight(QFont::DemiBold);
        return mono;
    }
    case Text::Headline: {
        QFont headline = base;
        headline.setWeight(QFont::DemiBold);
        return headline;
    }
    case Text::Body:
        return base;
    case Text::Callout:
        return scaled(base, 0.95);
    case Text::SectionHeader:
        return scaled(base, 0.9, QFont::DemiBold);
    case Text::Caption:
        return scaled(base, 0.85);
    case Text::CaptionMedium:
        return scaled(base, 0.85, QFont::Medium);
    }
    return base;
}

QFont font(const QWidget &widget, Text style)
{
    return font(widget.font(), style);
}

int grownWithFont(int length, const QFont &font)
{
    constexpr double designedFor = 10.0;
    const double size = QFontInfo(font).pointSizeF();
    return size > designedFor ? int(std::lround(length * size / designedFor)) : length;
}

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor withAlpha(QColor colour, double alpha)
{
    colour.setAlphaF(float(alpha));
    return colour;
}

double contrast(const QColor &a, const QColor &b)
{
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

QColor primary(const QPalette &palette)
{
    return palette.color(QPalette::WindowText);
}

QColor secondary(const QPalette &palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.6);
}

QColor quaternary(const QPalette &palette)
{
    return withAlpha(palette.color(QPalette::WindowText), isDark(palette) ? 0.25 : 0.18);
}

QColor separator(const QPalette &palette)
{
    return withAlpha(palette.color(QPalette::WindowText), isDark(palette) ? 0.16 : 0.12);
}

QColor accent(const QPalette &palette)
{
    return palette.color(QPalette::Highlight);
}

QColor tint(const QPalette &palette)
{
    return blue(palette);
}

QColor link(const QPalette &palette, const QColor &background)
{
    constexpr double readable = 4.5;
    const QColor text = palette.color(QPalette::WindowText);
    const QColor wanted = palette.color(QPalette::Link);
    // Ten steps towards the text colour find the most colourful shade that still reads.
    for (int step = 0; step <= 10; ++step) {
        const QColor candidate = mixed(wanted, text, step / 10.0);
        if (contrast(candidate, background) >= readable)
            return candidate;
    }
    return text;
}

QColor destructive(const QPalette &palette)
{
    return byAppearance(palette, QColor(215, 0, 21), QColor(255, 69, 58));
}

QColor focusRing(const QPalette &palette)
{
    return tint(palette);
}

QColor formBackground(const QPalette &palette)
{
    return byAppearance(palette, QColor(242, 242, 246), QColor(36, 36, 38));
}

QColor formPanel(const QPalette &palette)
{
    return byAppearance(palette, QColor(255, 255, 255), QColor(50, 50, 53));
}

QColor underPage(const QPalette &palette)
{
    return byAppearance(palette, QColor(226, 226, 230), QColor(30, 30, 32));
}

QColor regularMaterial(const QPalette &palette)
{
    // Opaque: the picture under it is out of date, and its text showing through reads as noise.
    return byAppearance(palette, QColor(246, 246, 248), QColor(40, 40, 42));
}

QColor thinMaterial(const QPalette &palette)
{
    // Mostly opaque: a tag sits on the page's own figures and must stay legible over them.
    return byAppearance(palette, QColor(255, 255, 255, 235), QColor(52, 52, 56, 235));
}

QColor paper()
{
    return QColor::fromRgbF(0.925f, 0.914f, 0.886f);
}

QColor pageBackground(bool dark)
{
    const float grey = dark ? 0.12f : 0.985f;
    return QColor::fromRgbF(grey, grey, grey);
}

QColor green(const QPalette &palette)
{
    return byAppearance(palette, QColor(40, 167, 69), QColor(48, 209, 88));
}

QColor blue(const QPalette &palette)
{
    return byAppearance(palette, QColor(0, 122, 255), QColor(10, 132, 255));
}

QColor orange(const QPalette &palette)
{
    return byAppearance(palette, QColor(230, 126, 0), QColor(255, 159, 10));
}

QColor yellow(const QPalette &palette)
{
    return byAppearance(palette, QColor(230, 180, 0), QColor(255, 214, 10));
}

QColor red(const QPalette &palette)
{
    return byAppearance(palette, QColor(224, 49, 49), QColor(255, 69, 58));
}

QColor statusColour(ConnectionStatus status, const QPalette &palette)
{
    switch (status) {
    case ConnectionStatus::connected:
        return green(palette);
    case ConnectionStatus::found:
    case ConnectionStatus::waiting:
        return blue(palette);
    case ConnectionStatus::attention:
        return orange(palette);
    case ConnectionStatus::noData:
        return yellow(palette);
    case ConnectionStatus::notConnected:
    case ConnectionStatus::notFound:
        break;
    }
    return secondary(palette);
}

QString statusLabel(ConnectionStatus status)
{
    switch (status) {
    case ConnectionStatus::connected:
        return QStringLiteral("Connected");
    case ConnectionStatus::found:
        return QStringLiteral("Found");
    case ConnectionStatus::waiting:
        return QStringLiteral("Waiting for GitHub");
    case ConnectionStatus::attention:
        return QStringLiteral("Needs set-up");
    case ConnectionStatus::noData:
        return QStringLiteral("No usage data");
    case ConnectionStatus::notConnected:
        return QStringLiteral("Not connected");
    case ConnectionStatus::notFound:
        break;
    }
    return QStringLiteral("Not installed");
}

void giveButtonsRoom(QWidget *controls)
{
    if (!controls)
        return;
    QList<QPushButton *> buttons = controls->findChildren<QPushButton *>();
    if (auto *button = qobject_cast<QPushButton *>(controls))
        buttons.append(button);
    constexpr int sidePadding = 14;
    for (QPushButton *button : buttons)
        button->setMinimumWidth(button->fontMetrics().horizontalAdvance(button->text()) + 2 * sidePadding);
}

} // namespace UiStyle
