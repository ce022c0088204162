// SPDX-License-Identifier: GPL-3.0-or-later
#include "StepWidgets.h"

#include "ui/common/ConnectionSymbols.h"

#include <QHash>
#include <QLabel>
#include <QPalette>
#include <QVBoxLayout>
#include <QWidget>

namespace StepWidgets {

namespace {

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

// The properties by which restyle() finds what it paints again.
const char *secondaryProperty = "welcomeSecondary";
const char *symbolProperty = "welcomeSymbol";
const char *symbolSizeProperty = "welcomeSymbolSize";
const char *symbolColourProperty = "welcomeSymbolColour";
const char *dividerProperty = "welcomeDivider";

QPalette inheritedPalette(const QWidget *widget)
{
    return widget->parentWidget() ? widget->parentWidget()->palette() : widget->palette();
}

void applyDivider(QWidget *line)
{
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, UiStyle::separator(inheritedPalette(line)));
    line->setPalette(palette);
}

void applySecondary(QLabel *label)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, UiStyle::secondary(inheritedPalette(label)));
    label->setPalette(palette);
}

QColor colourOf(Colour colour, const QPalette &palette)
{
    switch (colour) {
    case Colour::Secondary:
        return UiStyle::secondary(palette);
    case Colour::Tint:
        return UiStyle::tint(palette);
    case Colour::Text:
        break;
    }
    return palette.color(QPalette::WindowText);
}

void paintSymbol(QLabel *label)
{
    const QString name = label->property(symbolProperty).toString();
    const int size = label->property(symbolSizeProperty).toInt();
    const auto colour = Colour(label->property(symbolColourProperty).toInt());
    label->setPixmap(ConnectionSymbols::pixmap(themeName(name), size, colourOf(colour, inheritedPalette(label)),
                                               label->devicePixelRatioF()));
}

} // namespace

QLabel *label(const QString &text, UiStyle::Text style, QWidget *parent, bool secondaryColour, bool wrap)
{
    auto *result = new QLabel(text, parent);
    result->setTextFormat(Qt::PlainText);
    result->setWordWrap(wrap);
    result->setFont(UiStyle::font(parent ? parent->font() : QFont(), style));
    if (secondaryColour) {
        result->setProperty(secondaryProperty, true);
        applySecondary(result);
    }
    return result;
}

QLabel *symbolLabel(const QString &name, int size, Colour colour, QWidget *parent)
{
    auto *result = new QLabel(parent);
    // A little room around the symbol, so that it lines up with the text beside it.
    result->setFixedSize(size + 4, size + 4);
    result->setAlignment(Qt::AlignCenter);
    result->setProperty(symbolProperty, name);
    result->setProperty(symbolSizeProperty, size);
    result->setProperty(symbolColourProperty, int(colour));
    paintSymbol(result);
    return result;
}

void restyle(QWidget *root)
{
    for (QWidget *widget : root->findChildren<QWidget *>()) {
        if (widget->property(dividerProperty).toBool())
            applyDivider(widget);
    }
    for (QLabel *label : root->findChildren<QLabel *>()) {
        if (label->property(secondaryProperty).toBool())
            applySecondary(label);
        if (label->property(symbolProperty).isValid())
            paintSymbol(label);
    }
}

QWidget *divider(QWidget *parent)
{
    auto *line = new QWidget(parent);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    line->setProperty(dividerProperty, true);
    applyDivider(line);
    return line;
}

QVBoxLayout *stepLayout(QWidget *step)
{
    auto *layout = new QVBoxLayout(step);
    layout->setContentsMargins(stepMargin, stepMargin, stepMargin, stepMargin);
    layout->setSpacing(blockSpacing);
    return layout;
}

} // namespace StepWidgets
