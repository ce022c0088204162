// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToolRowWidget.h"

#include "StepWidgets.h"
#include "TickBox.h"
#include "ui/common/ConnectionMark.h"
#include "ui/common/ConnectionRowWidget.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using UiStyle::Text;

namespace {

constexpr int rowPadding = 5;
constexpr int gap = 12;
// Room beside the button's text, which the desktop style leaves tight.
constexpr int buttonPadding = 16;

} // namespace

ToolRowWidget::ToolRowWidget(const WelcomeRows::Tool &tool, QWidget *parent)
    : QWidget(parent)
    , m_id(tool.id)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, rowPadding, 0, rowPadding);
    layout->setSpacing(gap);

    m_check = new TickBox(this);
    m_check->setAccessibleName(tool.title);
    connect(m_check, &QCheckBox::toggled, this, [this](bool ticked) { Q_EMIT tickChanged(m_id, ticked); });
    layout->addWidget(m_check, 0, Qt::AlignVCenter);
    layout->addWidget(ConnectionMark::logo(tool.logo, this, logoSize), 0, Qt::AlignVCenter);

    auto *text = new QVBoxLayout();
    text->setSpacing(1);
    m_title = StepWidgets::label(tool.title, Text::Headline, this, false, false);
    m_detail = StepWidgets::label(QString(), Text::Callout, this, true);
    text->addWidget(m_title);
    text->addWidget(m_detail);
    layout->addLayout(text, 1);

    m_setUp = new QPushButton(QStringLiteral("Set Up"), this);
    m_setUp->setAutoDefault(false);
    m_setUp->setAccessibleName(ConnectionRowWidget::buttonName(m_setUp->text(), tool.title));
    m_setUp->setMinimumWidth(m_setUp->sizeHint().width() + buttonPadding);
    connect(m_setUp, &QPushButton::clicked, this, &ToolRowWidget::setUpRequested);
    layout->addWidget(m_setUp, 0, Qt::AlignVCenter);

    setTool(tool, false);
}

void ToolRowWidget::setTool(const WelcomeRows::Tool &tool, bool ticked)
{
    m_detail->setText(tool.detail);
    m_check->setEnabled(tool.found);
    // Ticking from here is not the user's doing: no signal goes back to the flow.
    const QSignalBlocker quiet(m_check);
    m_check->setChecked(ticked);
    m_setUp->setVisible(tool.offersSetUp);
}

QString ToolRowWidget::detail() const
{
    return m_detail->text();
}

QPushButton *ToolRowWidget::setUpButton() const
{
    return m_setUp->isHidden() ? nullptr : m_setUp;
}
