// SPDX-License-Identifier: GPL-3.0-or-later
#include "GitHubAuthToken.h"

#include <QJsonDocument>
#include <QJsonValue>
#include <QTimeZone>
#include <algorithm>
#include <cmath>

namespace {

const QLatin1String accessKey("access");
const QLatin1String refreshKey("refresh");
const QLatin1String expiresAtKey("expiresAt");
const QLatin1String loginKey("login");

// Keeps an "expires in" count within what a date can hold, whatever a server sends.
constexpr qint64 longestLifetimeSeconds = qint64(100) * 365 * 24 * 3600;

// Keeps a stored expiry date within what a date can hold (some thousands of years either way).
constexpr double maximumOffsetSeconds = 1.0e11;

QDateTime referenceDate()
{
    return QDateTime(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc());
}

// Reads an optional field: absent or null is fine (none), any other type fails the record.
template<typename T, typename Convert>
bool readOptional(const QJsonObject &object, QLatin1String key, bool (QJsonValue::*isType)() const,
                  std::optional<T> &field, Convert convert)
{
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return true;
    if (!(value.*isType)())
        return false;
    field = convert(value);
    return true;
}

} // namespace

namespace GitHubJson {

std::optional<qint64> integer(const QJsonValue &value)
{
    if (!value.isDouble())
        return std::nullopt;
    const double number = value.toDouble();
    if (!std::isfinite(number) || std::floor(number) != number || std::fabs(number) > 9.0e15)
        return std::nullopt;
    return static_cast<qint64>(number);
}

} // namespace GitHubJson

std::optional<GitHubAuthToken> GitHubAuthToken::fromJson(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject object = document.object();
    if (!object.value(accessKey).isString())
        return std::nullopt;

    GitHubAuthToken token;
    token.access = object.value(accessKey).toString();
    const auto toString = [](const QJsonValue &value) { return value.toString(); };
    const auto toDate = [](const QJsonValue &value) {
        const double seconds = std::clamp(value.toDouble(), -maximumOffsetSeconds, maximumOffsetSeconds);
        return referenceDate().addMSecs(qRound64(seconds * 1000.0));
    };
    if (!readOptional(object, refreshKey, &QJsonValue::isString, token.refresh, toString) ||
        !readOptional(object, expiresAtKey, &QJsonValue::isDouble, token.expiresAt, toDate) ||
        !readOptional(object, loginKey, &QJsonValue::isString, token.login, toString))
        return std::nullopt;
    return token;
}

QByteArray GitHubAuthToken::toJson() const
{
    QJsonObject object{{accessKey, access}};
    if (refresh)
        object.insert(refreshKey, *refresh);
    if (expiresAt)
        object.insert(expiresAtKey, double(referenceDate().msecsTo(*expiresAt)) / 1000.0);
    if (login)
        object.insert(loginKey, *login);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<GitHubAuthToken> GitHubAuthToken::fromReply(const QJsonObject &reply, const QDateTime &now)
{
    const QJsonValue access = reply.value(QStringLiteral("access_token"));
    if (!access.isString())
        return std::nullopt;
    GitHubAuthToken token;
    token.access = access.toString();
    const QJsonValue refresh = reply.value(QStringLiteral("refresh_token"));
    if (refresh.isString())
        token.refresh = refresh.toString();
    if (const auto seconds = GitHubJson::integer(reply.value(QStringLiteral("expires_in"))))
        token.expiresAt = now.addSecs(std::clamp(*seconds, -longestLifetimeSeconds, longestLifetimeSeconds));
    return token;
}
