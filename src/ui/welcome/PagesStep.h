#pragma once

#include "model/StartPages.h"

#include <QHash>
#include <QWidget>

class OnboardingView;
class StartOptionWidget;

// The last step of the welcome flow: the three starting sets (recommended for what was found,
// one page, or blank), each described by the pages it would make from the choices so far.
class PagesStep : public QWidget
{
    Q_OBJECT
public:
    explicit PagesStep(OnboardingView &view, QWidget *parent = nullptr);

    StartOptionWidget *option(StartPages::Start start) const { return m_options.value(start); }

private:
    void applyOptions();
    void applySelection();
    void chooseNeighbour(StartPages::Start from, int step);

    OnboardingView &m_view;
    QHash<StartPages::Start, StartOptionWidget *> m_options;
};
