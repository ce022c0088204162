#include "WelcomeFooter.h"

#include "StepDots.h"
#include "StepWidgets.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShortcut>

namespace {

constexpr int footerPadding = 16;
constexpr int primaryMinimumWidth = 96;
constexpr int buttonHeight = 28;

} // namespace

WelcomeFooter::WelcomeFooter(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(StepWidgets::stepMargin, footerPadding, StepWidgets::stepMargin, footerPadding);
    layout->setSpacing(10);
    m_dots = new StepDots(this);
    layout->addWidget(m_dots, 0, Qt::AlignVCenter);
    layout->addStretch(1);

    m_back = new QPushButton(QStringLiteral("Back"), this);
    m_back->setAutoDefault(false);
    connect(m_back, &QPushButton::clicked, this, &WelcomeFooter::backRequested);
    layout->addWidget(m_back);

    m_primary = new QPushButton(QStringLiteral("Continue"), this);
    m_primary->setMinimumWidth(primaryMinimumWidth);
    for (QPushButton *button : {m_back, m_primary})
        button->setFixedHeight(buttonHeight);
    makeProminent();
    connect(m_primary, &QPushButton::clicked, this, &WelcomeFooter::nextRequested);
    layout->addWidget(m_primary);

    // The welcome window is no dialog, so its default button needs its own Return key.
    for (const QKeySequence &key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto *shortcut = new QShortcut(key, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, m_primary, &QPushButton::animateClick);
    }
}

void WelcomeFooter::setStep(int step, int count)
{
    m_dots->setStep(step, count);
    m_back->setVisible(step >= 1);
    m_primary->setText(step == count - 1 ? QStringLiteral("Finish") : QStringLiteral("Continue"));
}

void WelcomeFooter::makeProminent()
{
    // The desktop style draws a recoloured button pale; the flow's one way forward should stand out.
    // A style sheet replaces the desktop style's focus frame, so the focused button draws its own
    // ring, in the text colour to stand apart from the button's fill in either appearance.
    const QColor tint = UiStyle::tint(palette());
    const QColor ring = palette().color(QPalette::WindowText);
    m_primary->setStyleSheet(
        QStringLiteral("QPushButton { background-color: %1; color: white; border: 1px solid %2; border-radius: 5px;"
                       " padding: 0 16px; font-weight: 600; }"
                       "QPushButton:hover { background-color: %3; }"
                       "QPushButton:pressed { background-color: %2; }"
                       "QPushButton:focus { border: 2px solid %4; padding: 0 15px; }")
            .arg(tint.name(), tint.darker(118).name(), tint.lighter(108).name(), ring.name()));
    m_primary->setDefault(true);
}
