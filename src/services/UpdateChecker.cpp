// SPDX-License-Identifier: GPL-3.0-or-later
#include "UpdateChecker.h"

#include "UpdateAlertPresenter.h"
#include "platform/Defaults.h"
#include "platform/GuardedRequest.h"
#include "platform/Network.h"

#include <QCoroNetworkReply>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <memory>

namespace {

const QString lastCheckKey = QStringLiteral("lastUpdateCheck");

// The version parts of a dotted version string; empty parts are dropped and a part that is not a
// decimal number counts as 0.
QList<qint64> versionParts(const QString &version)
{
    QList<qint64> parts;
    for (const QString &part : version.split(QLatin1Char('.'), Qt::SkipEmptyParts)) {
        bool ok = false;
        const qint64 number = part.toLongLong(&ok, 10);
        parts.append(ok ? number : 0);
    }
    return parts;
}

// When the last successful check ran; none when never, or when the stored value is not a date.
std::optional<QDateTime> lastSuccessfulCheck()
{
    const std::optional<QString> stored = Defaults::stringValue(lastCheckKey);
    if (!stored)
        return std::nullopt;
    const QDateTime date = QDateTime::fromString(*stored, Qt::ISODateWithMs);
    return date.isValid() ? std::optional(date) : std::nullopt;
}

UpdateAlert upToDateAlert()
{
    return {QStringLiteral("Tessarine is up to date"),
            QStringLiteral("You have the latest version, ") + UpdateChecker::currentVersion() + QStringLiteral("."),
            {}};
}

UpdateAlert newerReleaseAlert(const UpdateRelease &release)
{
    QString informative;
    if (release.notes)
        informative = *release.notes + QStringLiteral("\n\n");
    informative += QStringLiteral("You have ") + UpdateChecker::currentVersion() +
                   QStringLiteral(". Download the new version, quit Tessarine, and install it.");
    return {QStringLiteral("Tessarine ") + release.version + QStringLiteral(" is available"),
            informative,
            {QStringLiteral("Download"), QStringLiteral("Later")}};
}

} // namespace

UpdateChecker::UpdateChecker(QUrl feed, QObject *parent)
    : QObject(parent)
    , m_feed(std::move(feed))
{}

UpdateChecker::~UpdateChecker() = default;

void UpdateChecker::setPresenter(std::shared_ptr<UpdateAlertPresenter> presenter)
{
    m_presenter = std::move(presenter);
}

QString UpdateChecker::currentVersion()
{
    const QString version = QStringLiteral(TESSARINE_VERSION);
    return version.isEmpty() ? QStringLiteral("0") : version;
}

bool UpdateChecker::isNewer(const QString &version, const QString &other)
{
    const QList<qint64> mine = versionParts(version);
    const QList<qint64> theirs = versionParts(other);
    for (qsizetype i = 0; i < std::max(mine.size(), theirs.size()); ++i) {
        const qint64 a = mine.value(i, 0);
        const qint64 b = theirs.value(i, 0);
        if (a != b)
            return a > b;
    }
    return false;
}

void UpdateChecker::checkInBackground()
{
    const std::optional<QDateTime> last = lastSuccessfulCheck();
    if (last && last->secsTo(QDateTime::currentDateTimeUtc()) <= quietCheckSpacing.count())
        return;
    check(false);
}

QCoro::Task<> UpdateChecker::check(bool announce)
{
    if (m_checking)
        co_return;
    setChecking(true);
    QPointer<UpdateChecker> self(this);

    const std::optional<UpdateRelease> release = co_await fetchFeed();
    if (!self)
        co_return;
    if (release) {
        Defaults::setValue(lastCheckKey, QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs));
        setAvailable(isNewer(release->version, currentVersion()) ? release : std::nullopt);
        if (announce)
            co_await announceResult();
    } else if (announce) {
        co_await present(failureAlert());
    }
    if (self)
        self->setChecking(false);
}

void UpdateChecker::download() const
{
    if (m_available && m_presenter)
        m_presenter->openDownload(m_available->url);
}

void UpdateChecker::setChecking(bool checking)
{
    if (m_checking == checking)
        return;
    m_checking = checking;
    Q_EMIT isCheckingChanged(m_checking);
}

void UpdateChecker::setAvailable(const std::optional<UpdateRelease> &release)
{
    if (m_available == release)
        return;
    m_available = release;
    Q_EMIT availableChanged();
}

QCoro::Task<std::optional<UpdateRelease>> UpdateChecker::fetchFeed() const
{
    QNetworkRequest request(feedUrl());
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(static_cast<int>(m_timeout.count()));
    request.setRawHeader("User-Agent", "Tessarine/" + currentVersion().toUtf8());

    const Network::OwnedReply reply(Network::manager().get(request));
    // The transfer time-out fires only after a silence; a feed that trickles a byte now and then,
    // or sends far more than a release description, is cut off by an overall deadline and a cap.
    GuardedRequest::bound(reply.get(), m_timeout, maxFeedBytes);
    co_await reply.get();
    if (GuardedRequest::abortReason(*reply))
        co_return std::nullopt;
    // The HTTP status is not looked at: any answer that reads as a release counts.
    const bool answered = reply->error() == QNetworkReply::NoError ||
                          reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).isValid();
    if (!answered)
        co_return std::nullopt;
    co_return UpdateRelease::fromJson(reply->readAll());
}

QCoro::Task<> UpdateChecker::announceResult()
{
    QPointer<UpdateChecker> self(this);
    if (!m_available) {
        co_await present(upToDateAlert());
        co_return;
    }
    const int choice = co_await present(newerReleaseAlert(*m_available));
    if (self && choice == 0)
        self->download();
}

QCoro::Task<int> UpdateChecker::present(UpdateAlert alert)
{
    const std::shared_ptr<UpdateAlertPresenter> presenter = m_presenter;
    if (!presenter)
        co_return -1;
    co_return co_await presenter->present(alert);
}

UpdateAlert UpdateChecker::failureAlert() const
{
    return {QStringLiteral("Couldn’t check for updates"),
            QStringLiteral("Tessarine couldn’t reach ") + feedUrl().host() +
                QStringLiteral(". Check your connection and try again."),
            {}};
}
