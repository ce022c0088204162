#include "GitHubAuthClient.h"

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

// Shown when a reply is not JSON at all (an empty body included).
const QString unreadableReply = QStringLiteral("The data couldn’t be read because it isn’t in the correct format.");

QUrl hostFromEnvironment(const char *variable, const QString &fallback)
{
    QString base = qEnvironmentVariable(variable);
    if (base.isEmpty())
        base = fallback;
    if (!base.endsWith(QLatin1Char('/')))
        base += QLatin1Char('/');
    return QUrl(base);
}

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

QUrl GitHubAuthClient::webHost()
{
    return hostFromEnvironment("TESSARINE_GITHUB_WEB", QStringLiteral("https://github.com/"));
}

QUrl GitHubAuthClient::apiHost()
{
    return hostFromEnvironment("TESSARINE_GITHUB_API", QStringLiteral("https://api.github.com/"));
}

QCoro::Task<GitHubAuthClient::Reply> GitHubAuthClient::postForm(QString path, FormFields fields) const
{
    QNetworkRequest request(urlOnHost(webHost(), path));
    request.setTransferTimeout(static_cast<int>(m_timeout.count()));
    request.setRawHeader("Accept", "application/json");
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));

    const Body body = co_await send(request, formEncode(fields));
    if (!body.json)
        co_return Reply{std::nullopt, body.error};
    co_return Reply{body.json->isObject() ? body.json->toObject() : QJsonObject(), {}};
}

QCoro::Task<GitHubAuthClient::LoginReply> GitHubAuthClient::fetchLogin(QString accessToken) const
{
    QNetworkRequest request(urlOnHost(apiHost(), QStringLiteral("user")));
    request.setTransferTimeout(static_cast<int>(m_timeout.count()));
    request.setRawHeader("Authorization", "Bearer " + accessToken.toUtf8());
    request.setRawHeader("User-Agent", "Tessarine");

    const Body body = co_await send(request, std::nullopt);
    if (!body.json)
        co_return LoginReply{false, std::nullopt, body.error};
    const QJsonValue login = body.json->toObject().value(QLatin1String("login"));
    co_return LoginReply{true, login.isString() ? std::optional(login.toString()) : std::nullopt, {}};
}

QCoro::Task<GitHubAuthClient::Body> GitHubAuthClient::send(QNetworkRequest request, std::optional<QByteArray> postBody)
{
    QNetworkAccessManager &manager = Network::manager();
    // Deleted later: the reply may still be inside its own finished signal when this resumes.
    const std::unique_ptr<QNetworkReply, void (*)(QNetworkReply *)> reply(
        postBody ? manager.post(request, *postBody) : manager.get(request), [](QNetworkReply *r) { r->deleteLater(); });
    co_await reply.get();

    if (failedInTransport(*reply))
        co_return Body{std::nullopt, transportError(*reply)};
    const std::optional<QJsonValue> json = parseJson(reply->readAll());
    if (!json)
        co_return Body{std::nullopt, unreadableReply};
    co_return Body{*json, {}};
}
