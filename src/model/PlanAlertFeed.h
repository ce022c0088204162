// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>

class FrameModel;
class PlanAlerts;

// Gives the plan alerts what the model knows: the chosen providers and the alerts switch as they
// change, and the data document of each refresh that drew every page. Lives as long as the alerts.
class PlanAlertFeed : public QObject
{
    Q_OBJECT

public:
    PlanAlertFeed(FrameModel &model, PlanAlerts &alerts);

private:
    void followChoices();

    FrameModel &m_model;
    PlanAlerts &m_alerts;
};
