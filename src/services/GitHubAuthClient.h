// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoroTask>
#include <QJsonObject>
#include <QList>
#include <QPair>
#include <QString>
#include <QUrl>
#include <chrono>
#include <optional>

class QNetworkRequest;

// The two kinds of request GitHub sign-in makes: form posts to GitHub's web host (the OAuth
// device flow and token refresh) and the `/user` lookup on GitHub's API host, both given at
// construction (the configuration's gitHubWeb and gitHubApi). HTTP statuses are not examined: GitHub answers
// OAuth errors in the JSON body. Only transport failures and unreadable bodies fail a request.
class GitHubAuthClient
{
public:
    using FormFields = QList<QPair<QString, QString>>;

    struct Reply
    {
        std::optional<QJsonObject> object; // set on success; a non-object reply reads as empty
        QString error;                     // the text shown to the user otherwise

        bool ok() const { return object.has_value(); }
    };

    struct LoginReply
    {
        bool ok = false;
        std::optional<QString> login;
        QString error;
    };

    static constexpr std::chrono::milliseconds defaultTimeout{60'000};

    // Each host ends in "/".
    GitHubAuthClient(QUrl webHost, QUrl apiHost);

    QUrl webHost() const { return m_webHost; }
    QUrl apiHost() const { return m_apiHost; }

    // Stops waiting for a request that has not finished in this long (also one that trickles).
    void setTimeout(std::chrono::milliseconds timeout) { m_timeout = timeout; }

    // POSTs the fields, form-encoded, to `path` on GitHub's web host.
    QCoro::Task<Reply> postForm(QString path, FormFields fields) const;
    // GETs `/user` on GitHub's API host with the token; the login when the reply carries one.
    QCoro::Task<LoginReply> fetchLogin(QString accessToken) const;

private:
    struct Body
    {
        std::optional<QJsonValue> json;
        QString error;
    };
    static QCoro::Task<Body> send(QNetworkRequest request, std::optional<QByteArray> postBody,
                                  std::chrono::milliseconds deadline);

    QUrl m_webHost;
    QUrl m_apiHost;
    std::chrono::milliseconds m_timeout = defaultTimeout;
};
