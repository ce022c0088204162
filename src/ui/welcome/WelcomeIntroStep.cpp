#include "WelcomeIntroStep.h"

#include "StepWidgets.h"
#include "WelcomeMark.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using UiStyle::Text;

namespace {

constexpr int symbolSize = 20;
constexpr int noteSymbolSize = 14;

} // namespace

WelcomeIntroStep::WelcomeIntroStep(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    const int margin = StepWidgets::stepMargin;
    layout->setContentsMargins(margin + 8, margin + 12, margin + 8, margin);
    layout->setSpacing(0);

    layout->addWidget(new WelcomeMark(this));
    layout->addSpacing(26);
    layout->addWidget(StepWidgets::label(QStringLiteral("Welcome to Tessarine"), Text::LargeTitle, this));
    layout->addSpacing(10);
    layout->addWidget(StepWidgets::label(QStringLiteral("Tessarine puts your work on your desktop: your GitHub "
                                                        "year, your AI plans and your day, on a calm card that "
                                                        "updates every 30 minutes."),
                                         Text::Title3, this, true));
    layout->addSpacing(30);

    auto *lines = new QVBoxLayout();
    lines->setSpacing(18);
    lines->addWidget(
        line(QStringLiteral("person.crop.circle.badge.checkmark"), QStringLiteral("Connect GitHub"), false));
    lines->addWidget(
        line(QStringLiteral("sparkle.magnifyingglass"), QStringLiteral("Find the AI tools on this computer"), false));
    lines->addWidget(
        line(QStringLiteral("rectangle.split.3x1"), QStringLiteral("Pick the pages you want to see"), false));
    layout->addLayout(lines);
    layout->addStretch(1);

    layout->addWidget(
        line(QStringLiteral("lock"),
             QStringLiteral("Your AI logins never leave this computer. Tessarine only reads usage numbers."), true));
}

QWidget *WelcomeIntroStep::line(const QString &symbol, const QString &text, bool secondaryColour)
{
    auto *row = new QWidget(this);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(secondaryColour ? 8 : 14);

    const Text style = secondaryColour ? Text::Callout : Text::Title3;
    auto *label = StepWidgets::label(text, style, row, secondaryColour);
    const int size = secondaryColour ? noteSymbolSize : symbolSize;
    const auto colour = secondaryColour ? StepWidgets::Colour::Secondary : StepWidgets::Colour::Tint;
    QLabel *icon = StepWidgets::symbolLabel(symbol, size, colour, row);
    layout->addWidget(icon, 0, Qt::AlignVCenter);
    layout->addWidget(label, 1);
    return row;
}
