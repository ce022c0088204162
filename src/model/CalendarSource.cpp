// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarSource.h"

#include "platform/CalendarStore.h"
#include "platform/CalendarSubscriptions.h"

#include <QJsonArray>
#include <QPointer>
#include <algorithm>

namespace {

constexpr qint64 windowSeconds = 7 * 24 * 3600;
constexpr qsizetype mostEvents = 12;

// Internet date-time in UTC without fractional seconds, e.g. 2026-03-01T09:15:42Z.
QString utcText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODate);
}

QJsonObject eventJson(const CalendarEvent &event)
{
    return QJsonObject{{QStringLiteral("title"), event.title.value_or(QStringLiteral("Untitled"))},
                       {QStringLiteral("start"), utcText(event.start)},
                       {QStringLiteral("allDay"), event.allDay}};
}

QJsonObject noAccessSection()
{
    return QJsonObject{{QStringLiteral("status"), QStringLiteral("noAccess")},
                       {QStringLiteral("events"), QJsonArray()}};
}

} // namespace

CalendarSource::CalendarSource(std::shared_ptr<CredentialStore> credentials, QObject *parent)
    : QObject(parent)
    , m_credentials(std::move(credentials))
{}

CalendarStore &CalendarSource::store()
{
    if (!m_store) {
        m_store = m_credentials ? new CalendarStore(m_credentials, this) : new CalendarStore(this);
        // A calendar added, switched on or off shows at once.
        connect(m_store, &CalendarStore::switchedOffFilesChanged, this, &CalendarSource::calendarsChanged);
        connect(m_store, &CalendarStore::switchedOffServiceCalendarsChanged, this, &CalendarSource::calendarsChanged);
        connect(&m_store->subscriptions(), &CalendarSubscriptions::listChanged, this,
                &CalendarSource::calendarsChanged);
    }
    return *m_store;
}

QCoro::Task<QJsonObject> CalendarSource::section()
{
    CalendarStore &store = this->store();
    if (store.authorization() != CalendarStore::Authorization::FullAccess)
        co_return noAccessSection();

    // The store goes with its owner, which may go while the events are read.
    const QPointer<CalendarStore> guard(&store);
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QList<CalendarEvent> events = co_await store.events(now, now.addSecs(windowSeconds));
    if (!guard)
        co_return noAccessSection();

    // Equal start times keep the store's order.
    std::stable_sort(events.begin(), events.end(),
                     [](const CalendarEvent &a, const CalendarEvent &b) { return a.start < b.start; });
    QJsonArray list;
    const qsizetype kept = std::min(events.size(), mostEvents);
    for (const CalendarEvent &event : events.first(kept))
        list.append(eventJson(event));
    // How many of the week's events were left out, so a busy week never looks free.
    co_return QJsonObject{{QStringLiteral("status"), QStringLiteral("ok")},
                          {QStringLiteral("savedAt"), utcText(now)},
                          {QStringLiteral("events"), list},
                          {QStringLiteral("more"), qint64(events.size() - kept)}};
}

void CalendarSource::requestAccess()
{
    askForAccess();
}

QCoro::Task<> CalendarSource::askForAccess()
{
    const QPointer<CalendarSource> self(this);
    try {
        co_await store().requestFullAccess();
    } catch (...) {
        // Whatever became of the question, the windows re-read the access state and a refresh
        // picks up the calendar or leaves it out.
    }
    if (!self)
        co_return;
    ++m_accessChanges;
    Q_EMIT accessChanged();
}
