// SPDX-License-Identifier: GPL-3.0-or-later
#include "GitHubSource.h"

#include "DataCollector.h"
#include "GitHubSummary.h"
#include "JsonFields.h"
#include "kit/OneLine.h"
#include "kit/Problem.h"
#include "platform/GuardedRequest.h"
#include "platform/Network.h"

#include <QCoro/QCoroNetworkReply>
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimeZone>
#include <QUrl>
#include <memory>

using namespace JsonFields;

namespace {

constexpr qint64 secondsPerDay = 86400;
// GitHub logins are at most 39 characters.
constexpr qsizetype maxLoginLength = 100;

// Errors below the HTTP layer: connection, proxy, time-out and protocol failures. Content and
// server errors come with an HTTP status and are told by it instead.
bool isTransportError(QNetworkReply::NetworkError error)
{
    return (error > QNetworkReply::NoError && error < QNetworkReply::ContentAccessDenied) ||
           (error >= QNetworkReply::ProtocolUnknownError && error < QNetworkReply::InternalServerError);
}

QString transportMessage(const QNetworkReply &reply)
{
    // A transfer time-out surfaces as a cancelled operation; say what happened.
    if (reply.error() == QNetworkReply::TimeoutError || reply.error() == QNetworkReply::OperationCanceledError)
        return QStringLiteral("The request timed out.");
    return reply.errorString();
}

QString notJsonMessage()
{
    return QStringLiteral("The data couldn\u2019t be read because it isn\u2019t in the correct format.");
}

} // namespace

const QString GitHubSource::calendarQuery =
    QStringLiteral("query {\n"
                   "  viewer {\n"
                   "    login\n"
                   "    contributionsCollection {\n"
                   "      contributionCalendar { totalContributions weeks { contributionDays { date contributionCount "
                   "weekday contributionLevel } } }\n"
                   "    }\n"
                   "    repositories(first: 60, ownerAffiliations: [OWNER, ORGANIZATION_MEMBER, COLLABORATOR], "
                   "orderBy: {field: PUSHED_AT, direction: DESC}) {\n"
                   "      nodes { name releases(first: 5, orderBy: {field: CREATED_AT, direction: DESC}) { nodes { "
                   "tagName name createdAt } } }\n"
                   "    }\n"
                   "  }\n"
                   "}");

const QString GitHubSource::mergedQuery =
    QStringLiteral("query($merged: String!, $recent: String!) {\n"
                   "  merged: search(query: $merged, type: ISSUE) { issueCount }\n"
                   "  recent: search(query: $recent, type: ISSUE, first: 10) { nodes { ... on PullRequest { title "
                   "mergedAt repository { name } } } }\n"
                   "}");

GitHubSource::GitHubSource(QString token, QString apiBase, std::chrono::milliseconds timeout)
    : m_token(std::move(token))
    , m_apiBase(std::move(apiBase))
    , m_timeout(timeout)
{}

QString GitHubSource::dayString(const QDateTime &date, bool utc)
{
    return dayString((utc ? date.toUTC() : date.toLocalTime()).date());
}

QString GitHubSource::dayString(const QDate &day)
{
    return day.toString(QStringLiteral("yyyy-MM-dd"));
}

QCoro::Task<GitHubSource::Fetched> GitHubSource::fetch(QDateTime now) const
{
    const QString since = dayString(now.addSecs(-30 * secondsPerDay), true);

    const QJsonObject first = co_await graphql(calendarQuery, QJsonObject());
    const QJsonObject viewer = object(first.value(QStringLiteral("viewer")));
    // Shown in the menu and kept in the manifest: one plain line of it.
    QString login = OneLine::of(string(viewer.value(QStringLiteral("login"))), maxLoginLength);
    if (login.isEmpty())
        login = QStringLiteral("GitHub");

    const QString author = QStringLiteral("author:") + login;
    const QJsonObject variables{
        {QStringLiteral("merged"), QString(author + QStringLiteral(" is:pr is:merged merged:>=") + since)},
        {QStringLiteral("recent"), QString(author + QStringLiteral(" is:pr is:merged sort:updated-desc"))},
    };
    const QJsonObject search = co_await graphql(mergedQuery, variables);

    // The login goes into the path as one segment, so a name holding "/", "?" or "#" cannot
    // reach another resource.
    const QString eventsPath = QStringLiteral("users/") + QString::fromLatin1(QUrl::toPercentEncoding(login)) +
                               QStringLiteral("/events?per_page=100");
    const QJsonArray events = array(co_await request(eventsPath, std::nullopt));

    co_return Fetched{login, GitHubSummary::section(viewer, search, events, now)};
}

QCoro::Task<QJsonObject> GitHubSource::graphql(QString query, QJsonObject variables) const
{
    const QJsonObject body{{QStringLiteral("query"), query}, {QStringLiteral("variables"), variables}};
    const QJsonObject reply = object(co_await request(QStringLiteral("graphql"), body));
    const QJsonArray errors = array(reply.value(QStringLiteral("errors")));
    if (!errors.isEmpty()) {
        const QString message =
            string(object(errors.first()).value(QStringLiteral("message")), QStringLiteral("query failed"));
        throw Problem(QStringLiteral("GitHub: ") + OneLine::of(message));
    }
    co_return object(reply.value(QStringLiteral("data")));
}

QCoro::Task<QJsonValue> GitHubSource::request(QString path, std::optional<QJsonObject> body) const
{
    const std::optional<QByteArray> authorization = GuardedRequest::bearer(m_token);
    if (!authorization)
        throw Problem(QStringLiteral("The GitHub token isn\u2019t valid. Sign in to GitHub again in Connections."));
    QNetworkRequest request(QUrl(m_apiBase + path));
    request.setTransferTimeout(static_cast<int>(m_timeout.count()));
    GuardedRequest::keepToOrigin(request);
    request.setRawHeader("Authorization", *authorization);
    request.setRawHeader("Accept", "application/vnd.github+json");
    request.setRawHeader("User-Agent", "Tessarine");

    Network::OwnedReply reply;
    if (body) {
        request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
        reply.reset(Network::manager().post(request, QJsonDocument(*body).toJson(QJsonDocument::Compact)));
    } else {
        reply.reset(Network::manager().get(request));
    }
    GuardedRequest::bound(reply.get(), m_timeout);
    co_await qCoro(reply.get()).waitForFinished();

    if (const std::optional<QString> reason = GuardedRequest::abortReason(*reply))
        throw Problem(*reason);
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid() || isTransportError(reply->error()))
        throw Problem(transportMessage(*reply));

    // A reply that is not JSON fails as such, error replies too (a proxy's HTML error page).
    const std::optional<QJsonValue> parsed = parse(reply->readAll());
    if (!parsed)
        throw Problem(notJsonMessage());
    const int code = status.toInt();
    if (code >= 300) {
        const QString message =
            string(object(*parsed).value(QStringLiteral("message")), QStringLiteral("request failed"));
        throw Problem(QStringLiteral("GitHub ") + QString::number(code) + QStringLiteral(": ") + OneLine::of(message));
    }
    co_return *parsed;
}
