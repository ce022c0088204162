// SPDX-License-Identifier: GPL-3.0-or-later
#include "GitHubAuthClient.h"

#include "kit/OneLine.h"
#include "platform/GuardedRequest.h"
#include "platform/Network.h"

#include <QCoroNetworkReply>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <memory>

namespace {

// GitHub logins are at most 39 characters.
constexpr qsizetype maxLoginLength = 100;

// Shown when GitHub handed out an access token that no request header can carry.
const QString unusableToken = QStringLiteral("GitHub sent an unexpected reply.");

// Shown when a reply is not JSON at all (an empty body included).
const QString unreadableReply = QStringLiteral("The data couldn’t be read because it isn’t in the correct format.");

QUrl urlOnHost(const QUrl &host, const QString &path)
{
    QString relative = path;
    while (relative.startsWith(QLatin1Char('/')))
        relative.remove(0, 1);
    return host.resolved(QUrl(relative));
}

QByteArray formEncode(const GitHubAuthClient::FormFields &fields)
{
    QByteArray body;
    for (const auto &[name, value] : fields) {
        if (!body.isEmpty())
            body += '&';
        body += QUrl::toPercentEncoding(name) + '=' + QUrl::toPercentEncoding(value);
    }
    return body;
}

// A reply failed in transport when no HTTP response came back at all; an HTTP error status with
// a body is still an answer.
bool failedInTransport(const QNetworkReply &reply)
{
    return reply.error() != QNetworkReply::NoError &&
           !reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
}

QString transportError(const QNetworkReply &reply)
{
    // A transfer time-out surfaces as a cancelled operation, which would say nothing useful.
    if (reply.error() == QNetworkReply::OperationCanceledError || reply.error() == QNetworkReply::TimeoutError)
        return QStringLiteral("The request timed out.");
    return reply.errorString();
}

// Any JSON text, a bare number or string included (which QJsonDocument alone refuses).
std::optional<QJsonValue> parseJson(const QByteArray &body)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error == QJsonParseError::NoError)
        return document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
    const QJsonDocument wrapped = QJsonDocument::fromJson('[' + body + ']', &error);
    if (error.error == QJsonParseError::NoError && wrapped.array().size() == 1)
        return wrapped.array().first();
    return std::nullopt;
}

} // namespace

GitHubAuthClient::GitHubAuthClient(QUrl webHost, QUrl apiHost)
    : m_webHost(std::move(webHost))
    , m_apiHost(std::move(apiHost))
{}

QCoro::Task<GitHubAuthClient::Reply> GitHubAuthClient::postForm(QString path, FormFields fields) const
{
    QNetworkRequest request(urlOnHost(webHost(), path));
    request.setTransferTimeout(static_cast<int>(m_timeout.count()));
    // The form carries the device code or the refresh token.
    GuardedRequest::keepToOrigin(request);
    request.setRawHeader("Accept", "application/json");
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));

    const Body body = co_await send(request, formEncode(fields), m_timeout);
    if (!body.json)
        co_return Reply{std::nullopt, body.error};
    co_return Reply{body.json->isObject() ? body.json->toObject() : QJsonObject(), {}};
}

QCoro::Task<GitHubAuthClient::LoginReply> GitHubAuthClient::fetchLogin(QString accessToken) const
{
    const std::optional<QByteArray> authorization = GuardedRequest::bearer(accessToken);
    if (!authorization)
        co_return LoginReply{false, std::nullopt, unusableToken};
    QNetworkRequest request(urlOnHost(apiHost(), QStringLiteral("user")));
    request.setTransferTimeout(static_cast<int>(m_timeout.count()));
    GuardedRequest::keepToOrigin(request);
    request.setRawHeader("Authorization", *authorization);
    request.setRawHeader("User-Agent", "Tessarine");

    const Body body = co_await send(request, std::nullopt, m_timeout);
    if (!body.json)
        co_return LoginReply{false, std::nullopt, body.error};
    const QJsonValue login = body.json->toObject().value(QStringLiteral("login"));
    // The login is shown in the windows and the menu: one plain line of it.
    const QString shown = login.isString() ? OneLine::of(login.toString(), maxLoginLength) : QString();
    co_return LoginReply{true, shown.isEmpty() ? std::nullopt : std::optional(shown), {}};
}

QCoro::Task<GitHubAuthClient::Body> GitHubAuthClient::send(QNetworkRequest request, std::optional<QByteArray> postBody,
                                                           std::chrono::milliseconds deadline)
{
    QNetworkAccessManager &manager = Network::manager();
    const Network::OwnedReply reply(postBody ? manager.post(request, *postBody) : manager.get(request));
    GuardedRequest::bound(reply.get(), deadline);
    co_await reply.get();

    if (const std::optional<QString> reason = GuardedRequest::abortReason(*reply))
        co_return Body{std::nullopt, *reason};
    if (failedInTransport(*reply))
        co_return Body{std::nullopt, transportError(*reply)};
    const std::optional<QJsonValue> json = parseJson(reply->readAll());
    if (!json)
        co_return Body{std::nullopt, unreadableReply};
    co_return Body{*json, {}};
}
