// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/CalendarConsentPresenter.h"

#include <optional>

// Answers the calendar access question as the test says (none: closed unanswered) and counts how
// often it was asked.
class ConsentRecorder : public CalendarConsentPresenter
{
public:
    explicit ConsentRecorder(std::optional<bool> answer);

    QCoro::Task<std::optional<bool>> askForCalendarAccess() override;

    int asked = 0;

private:
    std::optional<bool> m_answer;
};
