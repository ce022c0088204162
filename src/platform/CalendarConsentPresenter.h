// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoroTask>
#include <optional>

// Puts the calendar access question to the user. The program shows a dialog; tests answer
// with a recorder.
class CalendarConsentPresenter
{
public:
    virtual ~CalendarConsentPresenter() = default;

    // True when the user allows Tessarine to read their calendars, false when they refuse, and
    // none when they closed the question without answering (it may then be asked again).
    virtual QCoro::Task<std::optional<bool>> askForCalendarAccess() = 0;
};
