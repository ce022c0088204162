// SPDX-License-Identifier: GPL-3.0-or-later
#include "PagesStep.h"

#include "OnboardingView.h"
#include "StartOptionWidget.h"
#include "StepHeader.h"
#include "StepWidgets.h"
#include "model/FrameModel.h"

#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

PagesStep::PagesStep(OnboardingView &view, QWidget *parent)
    : QWidget(parent)
    , m_view(view)
{
    auto *layout = StepWidgets::stepLayout(this);
    layout->addWidget(new StepHeader(
        QStringLiteral("Choose your starting pages"),
        QStringLiteral("Tessarine shows one page at a time and moves to the next when you click it. You can "
                       "change all of this later in Edit Layout (Ctrl+E)."),
        this));
    auto *options = new QVBoxLayout();
    options->setSpacing(10);
    for (const StartPages::Start start : StartPages::starts()) {
        auto *option = new StartOptionWidget(start, this);
        connect(option, &StartOptionWidget::chosen, &m_view, &OnboardingView::setStart);
        connect(option, &StartOptionWidget::neighbourRequested, this, &PagesStep::chooseNeighbour);
        options->addWidget(option);
        m_options.insert(start, option);
    }
    layout->addLayout(options);
    // Opened again from the menu, the flow would silently throw away pages the user made.
    if (!m_view.model().needsWelcome()) {
        auto *note = new QLabel(
            QStringLiteral("Finish replaces the pages you have now. Edit Layout can undo it (Ctrl+Z)."), this);
        note->setObjectName(QStringLiteral("replaceNote"));
        note->setWordWrap(true);
        layout->addWidget(note);
    }
    layout->addStretch(1);

    // Every choice made on the earlier steps changes what the sets would hold.
    for (const auto signal : {&OnboardingView::chosenChanged, &OnboardingView::useGitHubChanged,
                              &OnboardingView::gitHubChanged, &OnboardingView::calendarChanged})
        connect(&m_view, signal, this, &PagesStep::applyOptions);
    connect(&m_view.model(), &FrameModel::catalogueChanged, this, &PagesStep::applyOptions);
    connect(&m_view, &OnboardingView::startChanged, this, &PagesStep::applySelection);
    applyOptions();
    applySelection();
}

void PagesStep::applyOptions()
{
    for (auto it = m_options.cbegin(); it != m_options.cend(); ++it)
        it.value()->setOption(m_view.option(it.key()));
    // With little found, the recommended set is only the one page; two options that make the
    // same pages under different names would read as a choice that is not there.
    const bool sameAsRecommended = StartPages::haveSameContent(m_view.pages(StartPages::Start::minimal),
                                                               m_view.pages(StartPages::Start::recommended));
    m_options.value(StartPages::Start::minimal)->setHidden(sameAsRecommended);
    if (sameAsRecommended && m_view.start() == StartPages::Start::minimal)
        m_view.setStart(StartPages::Start::recommended);
}

void PagesStep::applySelection()
{
    for (auto it = m_options.cbegin(); it != m_options.cend(); ++it)
        it.value()->setSelected(it.key() == m_view.start());
    // Entering the step, focus goes to the chosen option, as it does in a group of radio buttons.
    setFocusProxy(m_options.value(m_view.start()));
}

void PagesStep::chooseNeighbour(StartPages::Start from, int step)
{
    // Like radio buttons: the arrow keys move the choice and the focus together, and stop at the
    // first and last option.
    const QList<StartPages::Start> &starts = StartPages::starts();
    qsizetype index = starts.indexOf(from);
    // A hidden option is passed over, as if it were not there.
    do
        index = std::clamp<qsizetype>(index + step, 0, starts.size() - 1);
    while (m_options.value(starts.at(index))->isHidden() && index > 0 && index < starts.size() - 1);
    const StartPages::Start target = starts.at(index);
    m_view.setStart(target);
    if (StartOptionWidget *option = m_options.value(target))
        option->setFocus(Qt::TabFocusReason);
}
