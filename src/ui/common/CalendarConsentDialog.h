// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/CalendarConsentPresenter.h"

// The calendar access question as a small application-modal dialog: "Allow", "Don’t Allow", or
// closed without an answer (Escape or the window's close button), which leaves the question open.
// Each question gets a dialog of its own, brought to the front and awaited without a nested event
// loop. Install one with CalendarStore::setConsentPresenter().
class CalendarConsentDialog : public CalendarConsentPresenter
{
public:
    QCoro::Task<std::optional<bool>> askForCalendarAccess() override;
};
