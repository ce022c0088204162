// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "CalendarSubscription.h"
#include "SubscriptionFetch.h"

#include <QCoroTask>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>
#include <memory>

class CredentialStore;

// The calendars the user subscribed to by address. The list (id, name, switch) is kept in the
// defaults store, each address in the keyring under its id, and the last good copy of each
// calendar with what its fetches left behind in the cache folder. Lives on the GUI thread.
class CalendarSubscriptions : public QObject
{
    Q_OBJECT
public:
    // Defaults key of the list: a JSON array of {"id", "name", "enabled"}.
    static const QString listKey;
    // The keyring service of the addresses; the account is the subscription's id.
    static const QString keyringService;

    explicit CalendarSubscriptions(std::shared_ptr<CredentialStore> credentials, QObject *parent = nullptr);

    QList<CalendarSubscription> list() const;

    // Adds a subscription and returns its id. The address must be https or webcal; an empty name
    // becomes the address's host. Throws Problem when the address is not one, or when the
    // keyring cannot keep it (then nothing is added).
    QCoro::Task<QString> add(QString name, QString address);
    void rename(const QString &id, const QString &name);
    void setEnabled(const QString &id, bool enabled);
    // Forgets the subscription, its address in the keyring and its cached copy.
    QCoro::Task<> remove(QString id);

    CalendarSubscriptionState state(const QString &id) const;
    // The last good copy, whether or not it exists yet.
    static QString cachedCopy(const QString &id);
    static QString cacheDir();

    // Fetches every switched-on subscription at once and waits for all of them. A subscription
    // that cannot be fetched keeps its last good copy and records since when and why. Returns the
    // good copies of the switched-on subscriptions, in list order.
    QCoro::Task<QStringList> fetchAll();

    void setLimits(SubscriptionFetch::Limits limits) { m_limits = limits; }
    // The clock that dates fetches and failures; the system's, in UTC, unless a test sets another.
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }

Q_SIGNALS:
    // The user added, renamed, switched or removed a subscription.
    void listChanged();
    // Fetches ended, and what they left behind may have changed.
    void statesChanged();

private:
    void store(const QList<CalendarSubscription> &subscriptions);
    static QCoro::Task<> fetchOne(std::shared_ptr<CredentialStore> credentials, CalendarSubscription subscription,
                                  SubscriptionFetch::Limits limits, std::function<QDateTime()> now);

    std::shared_ptr<CredentialStore> m_credentials;
    SubscriptionFetch::Limits m_limits;
    std::function<QDateTime()> m_now = &QDateTime::currentDateTimeUtc;
};
