// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/WindowFactories.h"

#include "OnboardingView.h"

QWidget *WindowFactories::createWelcome(FrameModel &model, std::function<void()> close)
{
    return new OnboardingView(model, std::move(close));
}
