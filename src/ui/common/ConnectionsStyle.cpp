#include "ConnectionsStyle.h"

#include <QFontDatabase>
#include <QPalette>
#include <QPushButton>

namespace ConnectionsStyle {

namespace {

QColor withAlpha(QColor colour, double alpha)
{
    colour.setAlphaF(float(alpha));
    return colour;
}

QColor byAppearance(const QPalette &palette, QColor light, QColor dark)
{
    return isDark(palette) ? dark : light;
}

} // namespace

QFont font(const QFont &base, Text style)
{
    QFont result = base;
    const double size = base.pointSizeF() > 0 ? base.pointSizeF() : 10.0;
    switch (style) {
    case Text::Caption:
        result.setPointSizeF(size * 0.85);
        break;
    case Text::Callout:
        result.setPointSizeF(size * 0.95);
        break;
    case Text::Headline:
        result.setWeight(QFont::DemiBold);
        break;
    case Text::SectionHeader:
        result.setPointSizeF(size * 0.9);
        result.setWeight(QFont::DemiBold);
        break;
    case Text::Title2:
        result.setPointSizeF(size * 1.45);
        break;
    case Text::Title3Mono:
        result = QFontDatabase::systemFont(QFontDatabase::FixedFont);
        result.setPointSizeF(size * 1.3);
        result.setWeight(QFont::DemiBold);
        break;
    }
    return result;
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

bool isDark(const QPalette &palette)
{
    return palette.color(QPalette::Window).lightness() < 128;
}

QColor secondary(const QPalette &palette)
{
    return withAlpha(palette.color(QPalette::WindowText), 0.6);
}

QColor separator(const QPalette &palette)
{
    return withAlpha(palette.color(QPalette::WindowText), isDark(palette) ? 0.16 : 0.11);
}

QColor formBackground(const QPalette &palette)
{
    return byAppearance(palette, QColor(242, 242, 246), QColor(36, 36, 38));
}

QColor formPanel(const QPalette &palette)
{
    return byAppearance(palette, QColor(255, 255, 255), QColor(50, 50, 53));
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

} // namespace ConnectionsStyle
