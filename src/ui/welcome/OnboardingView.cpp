// SPDX-License-Identifier: GPL-3.0-or-later
#include "OnboardingView.h"

#include "GitHubStep.h"
#include "PagesStep.h"
#include "StepWidgets.h"
#include "ToolsStep.h"
#include "WelcomeFooter.h"
#include "WelcomeIntroStep.h"
#include "model/FrameModel.h"
#include "model/StartFindings.h"
#include "platform/CalendarStore.h"
#include "services/ClaudeSetup.h"
#include "services/ConnectionsState.h"
#include "services/GitHubAuth.h"
#include "ui/common/AccessibleRole.h"

#include <QLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QShowEvent>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

OnboardingView::OnboardingView(FrameModel &model, std::function<void()> close, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_close(std::move(close))
    , m_state(new ConnectionsState(this))
{
    setAutoFillBackground(true);
    AccessibleRole::set(this, QAccessible::Dialog);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_steps = new QStackedWidget(this);
    m_steps->addWidget(new WelcomeIntroStep(m_steps));
    m_steps->addWidget(new GitHubStep(*this, m_steps));
    m_steps->addWidget(new ToolsStep(*this, m_steps));
    m_steps->addWidget(new PagesStep(*this, m_steps));
    // On a screen too low for the tallest step (a small screen at a large scale) the step
    // scrolls and the footer with its buttons stays in sight.
    auto *scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The steps' own controls take the keyboard; the scrolling follows them.
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->viewport()->setAutoFillBackground(false);
    scroll->setWidget(m_steps);
    layout->addWidget(scroll, 1);
    layout->addWidget(StepWidgets::divider(this));

    m_footer = new WelcomeFooter(this);
    connect(m_footer, &WelcomeFooter::backRequested, this, &OnboardingView::back);
    connect(m_footer, &WelcomeFooter::nextRequested, this, &OnboardingView::next);
    layout->addWidget(m_footer);

    observe();
    showStep();
    // Its designed size; only a screen with less room makes it smaller (see WindowFit).
    setMinimumSize(sizeHint());
    setMaximumSize(sizeHint());
}

OnboardingView::~OnboardingView() = default;

QSize OnboardingView::sizeHint() const
{
    constexpr QSize designed(640, 580);
    const int width = UiStyle::grownWithFont(designed.width(), font());
    int tallestStep = 0;
    for (int i = 0; i < m_steps->count(); ++i) {
        const QWidget *step = m_steps->widget(i);
        const QLayout *layout = step->layout();
        const int height =
            layout && layout->hasHeightForWidth() ? layout->totalHeightForWidth(width) : step->sizeHint().height();
        tallestStep = std::max(tallestStep, height);
    }
    const int footer = m_footer->sizeHint().height() + 1; // and the divider above it
    return {width, std::max(designed.height(), tallestStep + footer)};
}

void OnboardingView::observe()
{
    connect(m_state, &ConnectionsState::isCheckingChanged, this, &OnboardingView::preselect);
    connect(m_state, &ConnectionsState::ghLoginChanged, this, &OnboardingView::gitHubChanged);
    connect(&m_model.github(), &GitHubAuth::stateChanged, this, &OnboardingView::gitHubChanged);
    connect(&m_model.eventStore(), &CalendarStore::authorizationChanged, this, &OnboardingView::calendarChanged);
    connect(&m_model, &FrameModel::calendarAccessChanged, this, &OnboardingView::calendarChanged);
}

void OnboardingView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    m_state->check(m_model.screensDir());
    applyConfiguredStep();
    focusStep();
}

void OnboardingView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    // The children take on the new palette after this event; they are repainted once they have.
    if (event->type() != QEvent::PaletteChange)
        return;
    const auto restyle = [this] { StepWidgets::restyle(this); };
    QMetaObject::invokeMethod(this, restyle, Qt::QueuedConnection);
}

void OnboardingView::applyConfiguredStep()
{
    if (const std::optional<int> step = m_model.configuration().welcomeStep)
        setStep(*step);
}

void OnboardingView::setStep(int step)
{
    if (m_step == step)
        return;
    m_step = step;
    showStep();
    Q_EMIT stepChanged();
}

void OnboardingView::showStep()
{
    const bool known = m_step >= introStep && m_step < pagesStep;
    m_steps->setCurrentIndex(known ? m_step : pagesStep);
    m_footer->setStep(m_step, stepCount);
    if (isVisible())
        focusStep();
}

void OnboardingView::focusStep()
{
    // Focus moves to the first control of the step on show, so that Space acts on what the user
    // sees rather than on the button that led here; Return still presses the default button.
    QWidget *target = firstControlIn(m_steps->currentWidget());
    if (!target)
        target = m_footer->primaryButton();
    target->setFocus(Qt::TabFocusReason);
}

QWidget *OnboardingView::firstControlIn(QWidget *step)
{
    if (QWidget *proxy = step->focusProxy())
        return proxy;
    for (QWidget *widget = step->nextInFocusChain(); widget && widget != step; widget = widget->nextInFocusChain()) {
        const bool control = (widget->focusPolicy() & Qt::TabFocus) && widget->isEnabled();
        if (control && step->isAncestorOf(widget) && widget->isVisibleTo(step))
            return widget;
    }
    return nullptr;
}

QWidget *OnboardingView::currentStep() const
{
    return m_steps->currentWidget();
}

void OnboardingView::setUseGitHub(bool use)
{
    if (m_useGitHub == use)
        return;
    m_useGitHub = use;
    Q_EMIT useGitHubChanged();
}

void OnboardingView::setChosen(const QString &id, bool on)
{
    if (m_chosen.contains(id) == on)
        return;
    if (on)
        m_chosen.insert(id);
    else
        m_chosen.remove(id);
    Q_EMIT chosenChanged();
}

void OnboardingView::setStart(Start start)
{
    if (m_start == start)
        return;
    m_start = start;
    Q_EMIT startChanged();
}

bool OnboardingView::githubReady() const
{
    return StartFindings::githubReady(m_model.github().state(), m_state->ghLogin());
}

QStringList OnboardingView::chosenPlans() const
{
    return StartFindings::plans(m_chosen);
}

bool OnboardingView::calendarAllowed() const
{
    return m_model.eventStore().authorization() == CalendarStore::Authorization::FullAccess;
}

QList<Page> OnboardingView::pages(Start start) const
{
    return StartPages::pages(start, m_useGitHub && githubReady(), chosenPlans(),
                             m_chosen.contains(QStringLiteral("wispr")), calendarAllowed());
}

StartPages::StartOption OnboardingView::option(Start start) const
{
    return StartPages::option(start, pages(start), m_model.catalogue());
}

void OnboardingView::preselect()
{
    if (m_preselected || m_state->isChecking())
        return;
    m_preselected = true;
    const QStringList found = StartFindings::providers(*m_state);
    const QSet<QString> chosen = m_chosen + QSet<QString>(found.cbegin(), found.cend());
    if (chosen != m_chosen) {
        m_chosen = chosen;
        Q_EMIT chosenChanged();
    }
    setUseGitHub(githubReady());
}

void OnboardingView::next()
{
    if (m_step <= toolsStep)
        setStep(m_step + 1);
    else
        finish();
}

void OnboardingView::back()
{
    setStep(m_step - 1);
}

void OnboardingView::finish()
{
    const Start start = m_start;
    const QList<Page> pages = this->pages(start);
    const QStringList providers(m_chosen.cbegin(), m_chosen.cend());
    // Everything the rest needs is taken first: closing may take the view with it.
    FrameModel &model = m_model;
    const std::function<void()> close = m_close;
    model.start(pages, providers);
    if (close)
        close();
    if (start == Start::blank && model.openEditor())
        model.openEditor()();
}

void OnboardingView::setUpClaude()
{
    // A failure changes nothing: the row keeps offering Set Up, and the connections window is
    // where problems are told.
    (void)ClaudeSetup::setUp();
    m_state->refreshClaude();
    setChosen(QStringLiteral("claude"), true);
}
