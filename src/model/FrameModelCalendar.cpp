// SPDX-License-Identifier: GPL-3.0-or-later
// The calendar section of the data document, read from the calendar store at every refresh,
// and the question for calendar access.

#include "FrameModel.h"

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
    return QJsonObject{{QLatin1String("title"), event.title.value_or(QStringLiteral("Untitled"))},
                       {QLatin1String("start"), utcText(event.start)},
                       {QLatin1String("allDay"), event.allDay}};
}

QJsonObject noAccessSection()
{
    return QJsonObject{{QLatin1String("status"), QStringLiteral("noAccess")}, {QLatin1String("events"), QJsonArray()}};
}

} // namespace

CalendarStore &FrameModel::eventStore()
{
    if (!m_eventStore) {
        m_eventStore = m_credentials ? new CalendarStore(m_credentials, this) : new CalendarStore(this);
        // A calendar added, switched on or off shows at once.
        connect(m_eventStore, &CalendarStore::switchedOffFilesChanged, this, &FrameModel::refresh);
        connect(m_eventStore, &CalendarStore::switchedOffServiceCalendarsChanged, this, &FrameModel::refresh);
        connect(&m_eventStore->subscriptions(), &CalendarSubscriptions::listChanged, this, &FrameModel::refresh);
    }
    return *m_eventStore;
}

QCoro::Task<QJsonObject> FrameModel::calendarData()
{
    CalendarStore &store = eventStore();
    if (store.authorization() != CalendarStore::Authorization::FullAccess)
        co_return noAccessSection();

    // The store is a child of the model: it is guarded the same way.
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
    co_return QJsonObject{{QLatin1String("status"), QStringLiteral("ok")},
                          {QLatin1String("savedAt"), utcText(now)},
                          {QLatin1String("events"), list},
                          {QLatin1String("more"), qint64(events.size() - kept)}};
}

void FrameModel::requestCalendarAccess()
{
    askForCalendarAccess();
}

QCoro::Task<> FrameModel::askForCalendarAccess()
{
    const QPointer<FrameModel> self(this);
    try {
        co_await eventStore().requestFullAccess();
    } catch (...) {
        // Whatever became of the question, the views re-read the access state and a refresh
        // picks up the calendar or leaves it out.
    }
    if (!self)
        co_return;
    ++m_calendarAccessChanges;
    Q_EMIT calendarAccessChanged();
    refresh();
}
