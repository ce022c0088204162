// SPDX-License-Identifier: GPL-3.0-or-later
#include "PlanAlertFeed.h"

#include "FrameModel.h"
#include "ScreenFiles.h"
#include "services/PlanAlerts.h"

#include <QJsonDocument>

PlanAlertFeed::PlanAlertFeed(FrameModel &model, PlanAlerts &alerts)
    : QObject(&alerts)
    , m_model(model)
    , m_alerts(alerts)
{
    followChoices();
    connect(&model, &FrameModel::providersChanged, this, &PlanAlertFeed::followChoices);
    connect(&model.display(), &DisplayOptions::planAlertsChanged, this, &PlanAlertFeed::followChoices);
    connect(&model, &FrameModel::isRefreshingChanged, this, &PlanAlertFeed::refreshEnded);
}

void PlanAlertFeed::followChoices()
{
    m_alerts.setProviders(m_model.providers());
    m_alerts.setEnabled(m_model.display().planAlerts());
}

void PlanAlertFeed::refreshEnded()
{
    if (m_model.isRefreshing())
        return;
    // The refresh has just written its data document; a refresh that failed before collecting
    // leaves the last one, whose alerts the ledger has already seen.
    const std::optional<QString> data = ScreenFiles(m_model.screensDir()).readData();
    if (data)
        m_alerts.checkDocument(QJsonDocument::fromJson(data->toUtf8()).object());
}
