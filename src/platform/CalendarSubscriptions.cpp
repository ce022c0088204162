// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarSubscriptions.h"

#include "CredentialStore.h"
#include "Defaults.h"
#include "kit/Problem.h"
#include "platform/AtomicFile.h"
#include "platform/JsonFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QStandardPaths>
#include <QUuid>
#include <vector>

namespace {

const QLatin1String kId("id");
const QLatin1String kName("name");
const QLatin1String kEnabled("enabled");

QString stateFile(const QString &id)
{
    return CalendarSubscriptions::cacheDir() + QLatin1Char('/') + id + QStringLiteral(".json");
}

// Ids come from the defaults file, which the user may edit: only ids this program could have made
// name files and keyring items.
bool isValidId(const QString &id)
{
    return !QUuid::fromString(id).isNull() && !id.contains(QLatin1Char('/'));
}

QString isoText(const QDateTime &time)
{
    return time.isValid() ? time.toUTC().toString(Qt::ISODate) : QString();
}

CalendarSubscriptionState readState(const QString &id)
{
    const QJsonObject object = JsonFile::read(stateFile(id), 64 * 1024).value_or(QJsonValue()).toObject();
    CalendarSubscriptionState state;
    state.etag = object.value(QStringLiteral("etag")).toString().toLatin1();
    state.lastModified = object.value(QStringLiteral("lastModified")).toString().toLatin1();
    state.fetchedAt = QDateTime::fromString(object.value(QStringLiteral("fetchedAt")).toString(), Qt::ISODate);
    state.failingSince = QDateTime::fromString(object.value(QStringLiteral("failingSince")).toString(), Qt::ISODate);
    state.problem = object.value(QStringLiteral("problem")).toString();
    return state;
}

void writeState(const QString &id, const CalendarSubscriptionState &state)
{
    QJsonObject object{{QStringLiteral("etag"), QString::fromLatin1(state.etag)},
                       {QStringLiteral("lastModified"), QString::fromLatin1(state.lastModified)},
                       {QStringLiteral("fetchedAt"), isoText(state.fetchedAt)},
                       {QStringLiteral("failingSince"), isoText(state.failingSince)},
                       {QStringLiteral("problem"), state.problem}};
    JsonFile::writePretty(stateFile(id), QJsonDocument(object));
}

// The cached copy holds the user's private events: readable by the user alone. A link at its
// name is replaced, not written through. Empty on success, else what went wrong.
QString writePrivateCopy(const QString &path, const QByteArray &body)
{
    return AtomicFile::write(path, body, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

// Makes the folder (and the Tessarine folder above it) a real folder of the user's alone. A link
// planted at either name is taken away rather than followed: following it would put the
// private copies, and the change of mode, wherever it points.
bool makePrivateFolder(const QString &folder)
{
    const QFileInfo info(folder);
    for (const QString &path : {info.absolutePath(), info.absoluteFilePath()}) {
        if (QFileInfo(path).isSymLink() && !QFile::remove(path))
            return false;
        if (!QDir().mkpath(path))
            return false;
    }
    return QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void recordFailure(CalendarSubscriptionState &state, const QString &problem, const QDateTime &now)
{
    if (!state.failing())
        state.failingSince = now;
    state.problem = problem;
}

} // namespace

const QString CalendarSubscriptions::listKey = QStringLiteral("calendarSubscriptions");
const QString CalendarSubscriptions::keyringService = QStringLiteral("app.tessarine.calendar-subscription");

CalendarSubscriptions::CalendarSubscriptions(std::shared_ptr<CredentialStore> credentials, QObject *parent)
    : QObject(parent)
    , m_credentials(std::move(credentials))
{}

QString CalendarSubscriptions::cacheDir()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/Tessarine/subscriptions");
}

QString CalendarSubscriptions::cachedCopy(const QString &id)
{
    return cacheDir() + QLatin1Char('/') + id + QStringLiteral(".ics");
}

QList<CalendarSubscription> CalendarSubscriptions::list() const
{
    const QString stored = Defaults::stringValue(listKey).value_or(QString());
    QList<CalendarSubscription> subscriptions;
    for (const QJsonValue &value : QJsonDocument::fromJson(stored.toUtf8()).array()) {
        const QJsonObject object = value.toObject();
        CalendarSubscription subscription;
        subscription.id = object.value(kId).toString();
        subscription.name = object.value(kName).toString();
        subscription.enabled = object.value(kEnabled).toBool(true);
        if (isValidId(subscription.id) && !subscription.name.isEmpty())
            subscriptions.append(subscription);
    }
    return subscriptions;
}

void CalendarSubscriptions::store(const QList<CalendarSubscription> &subscriptions)
{
    if (subscriptions == list())
        return;
    QJsonArray array;
    for (const CalendarSubscription &subscription : subscriptions)
        array.append(QJsonObject{{kId, subscription.id}, {kName, subscription.name}, {kEnabled, subscription.enabled}});
    if (array.isEmpty())
        Defaults::remove(listKey);
    else
        Defaults::setValue(listKey, QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact)));
    Q_EMIT listChanged();
}

QCoro::Task<QString> CalendarSubscriptions::add(QString name, QString address)
{
    const std::optional<QUrl> url = SubscriptionFetch::normalisedAddress(address);
    if (!url)
        throw Problem(QStringLiteral("Enter the calendar’s address beginning with https:// or webcal://."));
    CalendarSubscription subscription;
    subscription.id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    subscription.name = name.simplified().isEmpty() ? url->host() : name.simplified();

    const QPointer<CalendarSubscriptions> self(this);
    const std::shared_ptr<CredentialStore> credentials = m_credentials;
    const CredentialStore::Status status =
        co_await credentials->add(keyringService, subscription.id, url->toString(QUrl::FullyEncoded).toUtf8());
    if (status != CredentialStore::Status::Ok)
        throw Problem(QStringLiteral("The calendar’s address could not be kept in your keyring, so the "
                                     "subscription was not added. Check that a keyring is running and unlocked."));
    if (!self)
        co_return subscription.id;
    QList<CalendarSubscription> subscriptions = list();
    subscriptions.append(subscription);
    store(subscriptions);
    co_return subscription.id;
}

void CalendarSubscriptions::rename(const QString &id, const QString &name)
{
    const QString cleaned = name.simplified();
    if (cleaned.isEmpty())
        return;
    QList<CalendarSubscription> subscriptions = list();
    for (CalendarSubscription &subscription : subscriptions) {
        if (subscription.id == id)
            subscription.name = cleaned;
    }
    store(subscriptions);
}

void CalendarSubscriptions::setEnabled(const QString &id, bool enabled)
{
    QList<CalendarSubscription> subscriptions = list();
    for (CalendarSubscription &subscription : subscriptions) {
        if (subscription.id == id)
            subscription.enabled = enabled;
    }
    store(subscriptions);
}

QCoro::Task<> CalendarSubscriptions::remove(QString id)
{
    QList<CalendarSubscription> subscriptions = list();
    subscriptions.removeIf([&id](const CalendarSubscription &subscription) { return subscription.id == id; });
    store(subscriptions);
    if (!isValidId(id))
        co_return;
    QFile::remove(cachedCopy(id));
    QFile::remove(stateFile(id));
    // The list no longer names it, so an address the keyring could not forget now is never used.
    const std::shared_ptr<CredentialStore> credentials = m_credentials;
    co_await credentials->remove(keyringService, id);
}

CalendarSubscriptionState CalendarSubscriptions::state(const QString &id) const
{
    return isValidId(id) ? readState(id) : CalendarSubscriptionState();
}

QCoro::Task<QStringList> CalendarSubscriptions::fetchAll()
{
    QList<CalendarSubscription> enabled = list();
    enabled.removeIf([](const CalendarSubscription &subscription) { return !subscription.enabled; });
    if (enabled.isEmpty())
        co_return QStringList();
    makePrivateFolder(cacheDir());

    const QPointer<CalendarSubscriptions> self(this);
    // Tasks start running when they are made, so the downloads overlap; then each is awaited.
    std::vector<QCoro::Task<>> fetches;
    for (const CalendarSubscription &subscription : enabled)
        fetches.push_back(fetchOne(m_credentials, subscription, m_limits, m_now));
    for (QCoro::Task<> &fetch : fetches)
        co_await std::move(fetch);

    QStringList copies;
    for (const CalendarSubscription &subscription : enabled) {
        if (QFile::exists(cachedCopy(subscription.id)))
            copies.append(cachedCopy(subscription.id));
    }
    if (self)
        Q_EMIT self->statesChanged();
    co_return copies;
}

QCoro::Task<> CalendarSubscriptions::fetchOne(std::shared_ptr<CredentialStore> credentials,
                                              CalendarSubscription subscription, SubscriptionFetch::Limits limits,
                                              std::function<QDateTime()> now)
{
    CalendarSubscriptionState state = readState(subscription.id);
    const CredentialStore::Item item = co_await credentials->read(keyringService, subscription.id);
    if (!item.found()) {
        recordFailure(state, QStringLiteral("its address could not be read from your keyring"), now());
        writeState(subscription.id, state);
        co_return;
    }
    // Validators only make sense while the copy they describe is still there. (They are named
    // variables: GCC 12 destroys a temporary made in a co_await's argument list twice.)
    const bool haveCopy = QFile::exists(cachedCopy(subscription.id));
    const QByteArray etag = haveCopy ? state.etag : QByteArray();
    const QByteArray lastModified = haveCopy ? state.lastModified : QByteArray();
    const QUrl address = QUrl::fromEncoded(item.secret);
    const SubscriptionFetch::Result result = co_await SubscriptionFetch::run(address, etag, lastModified, limits);
    switch (result.kind) {
    case SubscriptionFetch::Result::Kind::Fetched:
        if (const QString problem = writePrivateCopy(cachedCopy(subscription.id), result.body); !problem.isEmpty()) {
            recordFailure(state,
                          AtomicFile::isDiskFull(problem)
                              ? QStringLiteral("there is not enough disk space to save its copy")
                              : QStringLiteral("its copy could not be saved in the cache folder"),
                          now());
            break;
        }
        state.etag = result.etag;
        state.lastModified = result.lastModified;
        state.fetchedAt = now();
        state.failingSince = QDateTime();
        state.problem.clear();
        break;
    case SubscriptionFetch::Result::Kind::NotModified:
        state.fetchedAt = now();
        state.failingSince = QDateTime();
        state.problem.clear();
        break;
    case SubscriptionFetch::Result::Kind::Failed:
        recordFailure(state, result.problem, now());
        break;
    }
    writeState(subscription.id, state);
}
