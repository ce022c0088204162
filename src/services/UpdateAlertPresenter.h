#pragma once

#include <QCoroTask>
#include <QString>
#include <QStringList>

class QUrl;

// One alert of the update checker: a message, an informative text under it and the buttons,
// the first being the default. No buttons means the single default button.
struct UpdateAlert
{
    QString text;
    QString informativeText;
    QStringList buttons;

    bool operator==(const UpdateAlert &other) const = default;
};

// The desktop side of the update checker: its alerts and the browser. The program shows message
// boxes and hands the download to the desktop's browser; tests record both. Kept apart from the
// checker so that the services need neither widgets nor the desktop's URL handlers (Qt Gui).
class UpdateAlertPresenter
{
public:
    virtual ~UpdateAlertPresenter() = default;

    // Brings Tessarine to the front, shows the alert modally and completes with the index of the
    // button the user chose. Closing the alert without choosing counts as the last button.
    virtual QCoro::Task<int> present(UpdateAlert alert) = 0;

    // Opens a release's download address in the user's browser.
    virtual void openDownload(const QUrl &url) = 0;
};
