// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <chrono>
#include <optional>

class QNetworkReply;
class QNetworkRequest;

// The rules for a request that carries a GitHub credential. Qt follows redirects and copies
// the Authorization header along, so the token would reach whatever host a redirect names;
// such a request follows redirects within its own origin only. Its transfer time-out fires only
// after a silence, so a server that trickles would be waited on for ever; the reply gets an
// overall deadline and a cap on its size instead (which other downloads, such as calendar
// subscriptions, use with texts of their own).
class GuardedRequest
{
public:
    // Far larger than any GitHub reply Tessarine asks for.
    static constexpr qint64 maxReplyBytes = 32 * 1024 * 1024;

    GuardedRequest() = delete;

    // Redirects to the request's own scheme, host and port only; any other is an error.
    static void keepToOrigin(QNetworkRequest &request);

    // "Bearer <token>"; none when the token holds anything but visible ASCII, which a header
    // cannot carry (a line break would start a header of its own).
    static std::optional<QByteArray> bearer(const QString &token);

    // How long a reply may take and how large it may grow, and what the user reads when it
    // breaks either.
    struct Limits
    {
        std::chrono::milliseconds deadline;
        qint64 maxBytes = maxReplyBytes;
        QString timedOut = QStringLiteral("The request timed out.");
        QString tooLarge = QStringLiteral("GitHub’s reply was too large.");
    };

    // Aborts the reply when it has not finished by the deadline, or once its body outgrows
    // maxBytes or announces that it will. The limits go with the reply and end with it.
    static void bound(QNetworkReply *reply, std::chrono::milliseconds deadline, qint64 maxBytes = maxReplyBytes);
    static void bound(QNetworkReply *reply, const Limits &limits);

    // Aborts the reply for a reason of the caller's own, unless it has ended or was aborted already.
    static void abort(QNetworkReply *reply, const QString &reason);

    // Why a bounded reply was aborted, in the words shown to the user; none when it was not.
    static std::optional<QString> abortReason(const QNetworkReply &reply);
};
