// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlanAlertFeed.h"

#include "FrameModel.h"
#include "services/PlanAlerts.h"

PlanAlertFeed::PlanAlertFeed(FrameModel &model, PlanAlerts &alerts)
    : QObject(&alerts)
    , m_model(model)
    , m_alerts(alerts)
{
    followChoices();
    connect(&model, &FrameModel::providersChanged, this, &PlanAlertFeed::followChoices);
    connect(&model.display(), &DisplayOptions::planAlertsChanged, this, &PlanAlertFeed::followChoices);
    // The document comes from the refresh that collected it; a refresh that failed leaves the
    // last one, whose alerts the ledger has already seen.
    connect(&model.refresher(), &RefreshController::dataRefreshed, this,
            [this](const QJsonObject &data) { m_alerts.checkDocument(data); });
}

void PlanAlertFeed::followChoices()
{
    m_alerts.setProviders(m_model.providers());
    m_alerts.setEnabled(m_model.display().planAlerts());
}
