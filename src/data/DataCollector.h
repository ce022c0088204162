// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "kit/Problem.h"
#include <QByteArray>
#include <QCoro/QCoroTask>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <chrono>
#include <exception>
#include <optional>

// Gathers, once per refresh, everything the page views need into the data document: GitHub
// when a "github." widget is placed, and each plan or dictation provider that is placed on
// its own or chosen for the all-plans widget, one after another. No source fails the
// collection: GitHub's failure (no sign-in, a refused token, an outage, a time-out) becomes a
// GitHub section with a status and a reason, as a local tool's becomes its provider entry's, so
// one broken service never keeps the other widgets from being drawn.
class DataCollector
{
public:
    struct Result
    {
        QJsonObject data;
        // The GitHub account name; none when GitHub was not asked or failed.
        std::optional<QString> login;
        // Why GitHub's section holds no figures, when it was needed and failed.
        std::optional<QString> githubProblem;
    };

    // The text a missing GitHub sign-in gives while GitHub widgets are placed.
    static QString signInReason();
    // The "github" section of a GitHub that failed: its status and the reason.
    static QJsonObject unavailableGitHub(const QString &reason);

    // The provider ids in the order of their entries in the document.
    static const QStringList allProviders;

    DataCollector(QJsonArray pages, QSet<QString> usedWidgets, QStringList chosenProviders, bool showLogos,
                  std::optional<QJsonObject> countdown, std::optional<QJsonObject> calendar,
                  std::optional<QString> githubToken);

    // Collects the data document for the refresh time `now`. Throws Problem only for a provider
    // the table does not know. The collector may be destroyed as soon as collect() has returned
    // its task.
    QCoro::Task<Result> collect(QDateTime now) const;

    // One provider entry ("id", "name", "logo", "status" and what the status brings), read the
    // way the providers table says. Throws Problem for an id the table does not know.
    static QCoro::Task<QJsonObject> provider(QString id, QDateTime now,
                                             std::chrono::milliseconds toolTimeout = defaultToolTimeout);

    bool needsGitHub() const;
    QStringList neededProviders() const;

    // The usage history the windows' trends come from (see UsageTrends); none keeps no history.
    // The defaults store's choice unless changed.
    void setUsageHistory(std::optional<QString> databaseFile) { m_usageHistory = std::move(databaseFile); }

    // GitHub's API (ending in "/"); https://api.github.com/ unless changed.
    void setGitHubApi(QString base) { m_gitHubApi = std::move(base); }

    // Shorter time-outs for tests that play a GitHub or a tool that never answers.
    void setTimeouts(std::chrono::milliseconds github, std::chrono::milliseconds tools);

    static constexpr std::chrono::milliseconds defaultToolTimeout{20000};

private:
    QJsonObject document(const QDateTime &now, const QJsonValue &github, const QJsonArray &providers,
                         const QString &historyNotice) const;

    QJsonArray m_pages;
    QSet<QString> m_usedWidgets;
    QStringList m_chosenProviders;
    bool m_showLogos;
    std::optional<QJsonObject> m_countdown;
    std::optional<QJsonObject> m_calendar;
    std::optional<QString> m_githubToken;
    QString m_gitHubApi = QStringLiteral("https://api.github.com/");
    std::chrono::milliseconds m_githubTimeout;
    std::chrono::milliseconds m_toolTimeout;
    std::optional<QString> m_usageHistory;
};
