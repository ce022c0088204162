// SPDX-License-Identifier: GPL-3.0-or-later
#include "GuardedRequest.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QVariant>

namespace {

const char *const abortReasonProperty = "tessarineAbortReason";

} // namespace

void GuardedRequest::abort(QNetworkReply *reply, const QString &reason)
{
    if (reply->isFinished() || reply->property(abortReasonProperty).isValid())
        return;
    reply->setProperty(abortReasonProperty, reason);
    reply->abort();
}

void GuardedRequest::keepToOrigin(QNetworkRequest &request)
{
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::SameOriginRedirectPolicy);
}

std::optional<QByteArray> GuardedRequest::bearer(const QString &token)
{
    if (token.isEmpty())
        return std::nullopt;
    for (const QChar character : token) {
        if (character.unicode() < 0x21 || character.unicode() > 0x7e)
            return std::nullopt;
    }
    return QByteArrayLiteral("Bearer ") + token.toLatin1();
}

void GuardedRequest::bound(QNetworkReply *reply, std::chrono::milliseconds deadline, qint64 maxBytes)
{
    bound(reply, Limits{deadline, maxBytes});
}

void GuardedRequest::bound(QNetworkReply *reply, const Limits &limits)
{
    // The reply is the timer's context, so the timer goes when the reply does.
    QTimer::singleShot(limits.deadline, reply, [reply, reason = limits.timedOut] { abort(reply, reason); });
    // A reply is stopped once what has come outgrows the cap, or as soon as it announces more.
    const auto tooLarge = [reply, maxBytes = limits.maxBytes, reason = limits.tooLarge](qint64 received, qint64 total) {
        if (received > maxBytes || total > maxBytes)
            abort(reply, reason);
    };
    QObject::connect(reply, &QNetworkReply::readyRead, reply,
                     [reply, tooLarge] { tooLarge(reply->bytesAvailable(), -1); });
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, tooLarge);
}

std::optional<QString> GuardedRequest::abortReason(const QNetworkReply &reply)
{
    const QVariant reason = reply.property(abortReasonProperty);
    if (!reason.isValid())
        return std::nullopt;
    return reason.toString();
}
