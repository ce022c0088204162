#include "PagesStep.h"

#include "OnboardingStyle.h"
#include "OnboardingView.h"
#include "StartOptionWidget.h"
#include "StepHeader.h"
#include "kit/PlatformWords.h"
#include "model/FrameModel.h"

#include <QVBoxLayout>

PagesStep::PagesStep(OnboardingView &view, QWidget *parent)
    : QWidget(parent)
    , m_view(view)
{
    auto *layout = OnboardingStyle::stepLayout(this);
    layout->addWidget(new StepHeader(
        QStringLiteral("Choose your starting pages"),
        PlatformWords::apply(QStringLiteral("Tessarine shows one page at a time and moves to the next when you click "
                                            "it. You can change all of this later in Edit Layout (⌘E).")),
        this));
    auto *options = new QVBoxLayout();
    options->setSpacing(10);
    for (const StartPages::Start start : StartPages::starts()) {
        auto *option = new StartOptionWidget(start, this);
        connect(option, &StartOptionWidget::chosen, &m_view, &OnboardingView::setStart);
        options->addWidget(option);
        m_options.insert(start, option);
    }
    layout->addLayout(options);
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
}

void PagesStep::applySelection()
{
    for (auto it = m_options.cbegin(); it != m_options.cend(); ++it)
        it.value()->setSelected(it.key() == m_view.start());
}
