// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QString>
#include <optional>

// The GitHub token kept in the credential store, as JSON:
//   {"access": "...", "refresh": "...", "expiresAt": 767000000.5, "login": "..."}
// Only `access` is required; absent optional fields are left out. `expiresAt` is a number of
// seconds since 2001-01-01 00:00:00 UTC, the form earlier versions stored, so their tokens stay
// readable.
struct GitHubAuthToken
{
    QString access;
    std::optional<QString> refresh;
    std::optional<QDateTime> expiresAt;
    std::optional<QString> login;

    // None when the bytes are not a JSON object, `access` is missing or not a string, or an
    // optional field is present with the wrong type.
    static std::optional<GitHubAuthToken> fromJson(const QByteArray &json);
    QByteArray toJson() const;

    // From an OAuth token reply: none unless `access_token` is a string. `expires_in`, when it is
    // an integer, counts from `now`. The login is never in such a reply.
    static std::optional<GitHubAuthToken> fromReply(const QJsonObject &reply, const QDateTime &now);

    bool operator==(const GitHubAuthToken &other) const = default;
};

namespace GitHubJson {

// The value as a whole number when it is a JSON number without a fraction, else none.
std::optional<qint64> integer(const QJsonValue &value);

} // namespace GitHubJson
