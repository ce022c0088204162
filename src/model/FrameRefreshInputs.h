// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "RefreshInputs.h"

class FrameModel;

// The model's answers to what a refresh asks: its settings, its look, the GitHub sign-in (else
// the GitHub command-line tool's own) and its calendar. Read afresh at every question.
class FrameRefreshInputs : public RefreshInputs
{
public:
    explicit FrameRefreshInputs(FrameModel &model);

    Settings settings() const override;
    ScreenLook look() const override;
    QCoro::Task<std::optional<QString>> token() override;
    QCoro::Task<QJsonObject> calendar() override;

private:
    FrameModel &m_model;
};
