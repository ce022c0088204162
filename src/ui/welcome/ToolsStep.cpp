// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolsStep.h"

#include "OnboardingView.h"
#include "StepHeader.h"
#include "StepWidgets.h"
#include "ToolRowWidget.h"
#include "WelcomeRows.h"
#include "model/FrameModel.h"
#include "platform/CalendarStore.h"
#include "services/ConnectionsState.h"
#include "ui/common/ConnectionsPanel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using UiStyle::Text;

namespace {

constexpr int busyBarWidth = 120;
constexpr int calendarSymbolSize = 18;
// Room beside a button's text, which the desktop style leaves tight.
constexpr int buttonPadding = 16;
// Where the rows' text starts inside the panel: padding, tick box, logo and the gaps.
constexpr int separatorIndent = 14 + 20 + 12 + ToolRowWidget::logoSize + 12;

} // namespace

ToolsStep::ToolsStep(OnboardingView &view, QWidget *parent)
    : QWidget(parent)
    , m_view(view)
{
    auto *layout = StepWidgets::stepLayout(this);
    layout->addWidget(new StepHeader(
        QStringLiteral("Your AI tools"),
        QStringLiteral("Tick the ones you use. Tessarine reads their usage from the apps on this computer, so "
                       "there’s nothing to sign in to."),
        this));
    m_searching = searchingLine();
    layout->addWidget(m_searching);
    m_panel = toolsPanel();
    layout->addWidget(m_panel);
    layout->addStretch(1);

    const ConnectionsState &state = m_view.state();
    connect(&state, &ConnectionsState::isCheckingChanged, this, &ToolsStep::applyState);
    connect(&state, &ConnectionsState::toolsChanged, this, &ToolsStep::applyTools);
    connect(&state, &ConnectionsState::claudeChanged, this, &ToolsStep::applyTools);
    connect(&m_view, &OnboardingView::chosenChanged, this, &ToolsStep::applyTools);
    connect(&m_view, &OnboardingView::calendarChanged, this, &ToolsStep::applyCalendar);
    applyState();
}

bool ToolsStep::isSearching() const
{
    return !m_searching->isHidden();
}

QWidget *ToolsStep::searchingLine()
{
    auto *line = new QWidget(this);
    auto *layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->setSpacing(10);
    auto *busy = new QProgressBar(line);
    busy->setRange(0, 0);
    busy->setTextVisible(false);
    busy->setFixedWidth(busyBarWidth);
    busy->setMaximumHeight(8);
    layout->addWidget(busy, 0, Qt::AlignVCenter);
    layout->addWidget(StepWidgets::label(QStringLiteral("Looking for your tools…"), Text::Callout, line, true), 1);
    return line;
}

QWidget *ToolsStep::toolsPanel()
{
    auto *panel = new ConnectionsPanel(this);
    panel->setSeparatorIndent(separatorIndent);
    for (const WelcomeRows::Tool &tool : WelcomeRows::tools(m_view.state())) {
        auto *row = new ToolRowWidget(tool, panel);
        connect(row, &ToolRowWidget::tickChanged, &m_view, &OnboardingView::setChosen);
        connect(row, &ToolRowWidget::setUpRequested, &m_view, &OnboardingView::setUpClaude);
        panel->addRow(row);
        m_rows.insert(tool.id, row);
    }
    panel->addRow(calendarLine());
    return panel;
}

QWidget *ToolsStep::calendarLine()
{
    auto *line = new QWidget(this);
    auto *layout = new QHBoxLayout(line);
    layout->setContentsMargins(0, 6, 0, 6);
    layout->setSpacing(8);
    QLabel *symbol =
        StepWidgets::symbolLabel(QStringLiteral("calendar"), calendarSymbolSize, StepWidgets::Colour::Text, line);
    layout->addWidget(symbol, 0, Qt::AlignVCenter);
    layout->addWidget(StepWidgets::label(QStringLiteral("Calendar"), Text::Headline, line, false, false), 0,
                      Qt::AlignVCenter);
    layout->addStretch(1);
    m_calendarText = StepWidgets::label(QString(), Text::Callout, line, true, false);
    layout->addWidget(m_calendarText, 0, Qt::AlignVCenter);
    m_allowCalendar = new QPushButton(QStringLiteral("Allow Calendar Access…"), line);
    m_allowCalendar->setAutoDefault(false);
    m_allowCalendar->setMinimumWidth(m_allowCalendar->sizeHint().width() + buttonPadding);
    connect(m_allowCalendar, &QPushButton::clicked, this, &ToolsStep::allowCalendar);
    layout->addWidget(m_allowCalendar, 0, Qt::AlignVCenter);
    return line;
}

void ToolsStep::applyState()
{
    const bool searching = m_view.state().isChecking();
    m_searching->setVisible(searching);
    m_panel->setVisible(!searching);
    applyTools();
    applyCalendar();
}

void ToolsStep::applyTools()
{
    const QSet<QString> chosen = m_view.chosen();
    for (const WelcomeRows::Tool &tool : WelcomeRows::tools(m_view.state())) {
        if (ToolRowWidget *row = m_rows.value(tool.id))
            row->setTool(tool, chosen.contains(tool.id));
    }
}

void ToolsStep::applyCalendar()
{
    const std::optional<QString> text = WelcomeRows::calendarText(m_view.model().eventStore().authorization());
    m_calendarText->setText(text.value_or(QString()));
    m_calendarText->setVisible(text.has_value());
    m_allowCalendar->setVisible(!text.has_value());
}

void ToolsStep::allowCalendar()
{
    window()->raise();
    window()->activateWindow();
    m_view.model().requestCalendarAccess();
}
