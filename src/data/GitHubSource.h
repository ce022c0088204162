// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoro/QCoroTask>
#include <QDate>
#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <chrono>
#include <optional>

// Fetches the signed-in user's GitHub activity (two GraphQL queries and the events list) and
// reduces it to the data document's "github" section. Any failed request fails the whole
// fetch with a Problem; there is no partial section.
//
// The source must stay alive while a fetch is awaited.
class GitHubSource
{
public:
    static constexpr std::chrono::milliseconds defaultTimeout{60000};

    struct Fetched
    {
        QString login;
        QJsonObject section;
    };

    // Asks the API at `apiBase` (ending in "/", as the configuration's gitHubApi).
    GitHubSource(QString token, QString apiBase, std::chrono::milliseconds timeout = defaultTimeout);

    QCoro::Task<Fetched> fetch(QDateTime now) const;

    // "yyyy-MM-dd" of the instant in UTC, or in the local time zone; the shared day key.
    static QString dayString(const QDateTime &date, bool utc);
    // "yyyy-MM-dd" of a calendar day.
    static QString dayString(const QDate &day);

    static const QString calendarQuery;
    static const QString mergedQuery;

private:
    QCoro::Task<QJsonObject> graphql(QString query, QJsonObject variables) const;
    QCoro::Task<QJsonValue> request(QString path, std::optional<QJsonObject> body) const;

    QString m_token;
    QString m_apiBase;
    std::chrono::milliseconds m_timeout;
};
