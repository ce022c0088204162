// SPDX-License-Identifier: GPL-3.0-or-later
#include "SubscriptionFetch.h"

#include "CalendarFileReader.h"
#include "GuardedRequest.h"
#include "Network.h"

#include <QCoroNetworkReply>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <memory>

namespace {

bool loopbackHttpAllowed = false;

QString megabytes(qint64 bytes)
{
    return QString::number(bytes / (1024 * 1024));
}

// The transport failure in a few words. QNetworkReply::errorString() names the address, which is
// private, so it is never used.
QString transportProblem(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("its server could not be found");
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("its server refused the connection");
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("its server closed the connection");
    case QNetworkReply::SslHandshakeFailedError:
        return QStringLiteral("its server’s certificate was not accepted");
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("it was redirected too many times");
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
        return QStringLiteral("the network is not available");
    default:
        return QStringLiteral("it could not be downloaded");
    }
}

QString httpProblem(int status)
{
    switch (status) {
    case 401:
    case 403:
        return QStringLiteral("the server refused access (HTTP %1)").arg(status);
    case 404:
    case 410:
        return QStringLiteral("the server no longer has it (HTTP %1)").arg(status);
    default:
        return QStringLiteral("the server answered HTTP %1").arg(status);
    }
}

QString timedOut(std::chrono::milliseconds timeout)
{
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout).count();
    return seconds >= 1 ? QStringLiteral("its server did not answer within %1 seconds").arg(seconds)
                        : QStringLiteral("its server did not answer in time");
}

QNetworkRequest requestFor(const QUrl &address, const QByteArray &etag, const QByteArray &lastModified)
{
    QNetworkRequest request(address);
    // Each redirect is checked before it is followed (see run()).
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(5);
    request.setRawHeader("Accept", "text/calendar, */*;q=0.5");
    if (!etag.isEmpty())
        request.setRawHeader("If-None-Match", etag);
    if (!lastModified.isEmpty())
        request.setRawHeader("If-Modified-Since", lastModified);
    return request;
}

} // namespace

void SubscriptionFetch::allowLoopbackHttpForTests(bool allowed)
{
    loopbackHttpAllowed = allowed;
}

bool SubscriptionFetch::isFetchable(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QStringLiteral("https"))
        return true;
    return loopbackHttpAllowed && scheme == QStringLiteral("http") && url.host() == QStringLiteral("127.0.0.1");
}

std::optional<QUrl> SubscriptionFetch::normalisedAddress(const QString &text)
{
    QUrl url(text.trimmed(), QUrl::StrictMode);
    if (url.scheme().compare(QStringLiteral("webcal"), Qt::CaseInsensitive) == 0)
        url.setScheme(QStringLiteral("https"));
    if (!isFetchable(url))
        return std::nullopt;
    return url;
}

QCoro::Task<SubscriptionFetch::Result> SubscriptionFetch::run(QUrl address, QByteArray etag, QByteArray lastModified,
                                                              Limits limits)
{
    Result result;
    if (!isFetchable(address)) {
        result.problem = QStringLiteral("its address is not an https address");
        co_return result;
    }
    Network::OwnedReply reply(Network::manager().get(requestFor(address, etag, lastModified)));
    QNetworkReply *const raw = reply.get();
    // Whichever guard stops the download first gives the reason.
    auto redirects = std::make_shared<int>(0);
    QObject::connect(raw, &QNetworkReply::redirected, raw, [raw, redirects](const QUrl &target) {
        ++*redirects;
        if (isFetchable(target))
            Q_EMIT raw->redirectAllowed();
        else
            GuardedRequest::abort(raw, QStringLiteral("it was redirected to an address that is not https"));
    });
    const qint64 maxBytes = limits.maxBytes;
    const QString tooLarge = QStringLiteral("it is larger than %1 MB").arg(megabytes(maxBytes));
    GuardedRequest::bound(raw, {limits.timeout, maxBytes, timedOut(limits.timeout), tooLarge});

    co_await qCoro(raw).waitForFinished();

    if (const std::optional<QString> reason = GuardedRequest::abortReason(*raw)) {
        result.problem = *reason;
        co_return result;
    }
    const int status = raw->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status == 304) {
        result.kind = Result::Kind::NotModified;
        co_return result;
    }
    if (status >= 400) {
        result.problem = httpProblem(status);
        co_return result;
    }
    if (raw->error() != QNetworkReply::NoError) {
        result.problem = transportProblem(raw->error());
        co_return result;
    }
    // Anything but a success here is a redirect that was not followed (the last of a loop ends
    // with no error and an odd status) or an answer that is no calendar: its body is the
    // server's note, not the calendar.
    if (status < 200 || status >= 300) {
        result.problem = *redirects > 0 ? transportProblem(QNetworkReply::TooManyRedirectsError)
                                        : QStringLiteral("its server answered HTTP %1").arg(status);
        co_return result;
    }
    QByteArray body = raw->read(maxBytes + 1);
    if (body.size() > maxBytes) {
        result.problem = tooLarge;
        co_return result;
    }
    if (!CalendarFileReader::looksLikeICalendar(body)) {
        result.problem = QStringLiteral("what it sent is not a calendar");
        co_return result;
    }
    result.kind = Result::Kind::Fetched;
    result.body = std::move(body);
    result.etag = raw->rawHeader("ETag");
    result.lastModified = raw->rawHeader("Last-Modified");
    co_return result;
}
