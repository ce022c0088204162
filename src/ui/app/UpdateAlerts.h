#pragma once

#include "services/UpdateAlertPresenter.h"

// The update checker's alerts as message boxes: application-modal, brought to the front, and
// awaited without a nested event loop. Downloads open in the desktop's browser.
class UpdateAlerts : public UpdateAlertPresenter
{
public:
    QCoro::Task<int> present(UpdateAlert alert) override;
    void openDownload(const QUrl &url) override;
};
