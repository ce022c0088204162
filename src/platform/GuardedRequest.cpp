// SPDX-License-Identifier: GPL-3.0-or-later
#include "GuardedRequest.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QVariant>

namespace {

const char *const abortReasonProperty = "tessarineAbortReason";

void abortFor(QNetworkReply *reply, const QString &reason)
{
    if (reply->isFinished() || reply->property(abortReasonProperty).isValid())
        return;
    reply->setProperty(abortReasonProperty, reason);
    reply->abort();
}

} // namespace

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
    // The reply is the timer's context, so the timer goes when the reply does.
    QTimer::singleShot(deadline, reply, [reply] { abortFor(reply, QStringLiteral("The request timed out.")); });
    QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, maxBytes] {
        if (reply->bytesAvailable() > maxBytes)
            abortFor(reply, QStringLiteral("GitHub’s reply was too large."));
    });
}

std::optional<QString> GuardedRequest::abortReason(const QNetworkReply &reply)
{
    const QVariant reason = reply.property(abortReasonProperty);
    if (!reason.isValid())
        return std::nullopt;
    return reason.toString();
}
