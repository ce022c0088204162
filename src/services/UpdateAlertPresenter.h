#pragma once

#include <QCoroTask>
#include <QString>
#include <QStringList>

// One alert of the update checker: a message, an informative text under it and the buttons,
// the first being the default. No buttons means the single default button.
struct UpdateAlert
{
    QString text;
    QString informativeText;
    QStringList buttons;

    bool operator==(const UpdateAlert &other) const = default;
};

// Shows the update checker's alerts. The program shows message boxes; tests record the alerts
// and answer them. Kept apart from the checker so that the services need no widgets.
class UpdateAlertPresenter
{
public:
    virtual ~UpdateAlertPresenter() = default;

    // Brings Tessarine to the front, shows the alert modally and completes with the index of the
    // button the user chose. Closing the alert without choosing counts as the last button.
    virtual QCoro::Task<int> present(UpdateAlert alert) = 0;
};
