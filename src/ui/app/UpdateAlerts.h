#pragma once

#include "services/UpdateAlertPresenter.h"

// The update checker's alerts as message boxes: application-modal, brought to the front, and
// awaited without a nested event loop.
class UpdateAlerts : public UpdateAlertPresenter
{
public:
    QCoro::Task<int> present(UpdateAlert alert) override;
};
