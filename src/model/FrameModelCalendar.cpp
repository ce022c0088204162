// The calendar section of the data document, read from the calendar store at every refresh,
// and the question for calendar access.

#include "FrameModel.h"

#include "platform/CalendarStore.h"

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
    if (!m_eventStore)
        m_eventStore = new CalendarStore(this);
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
    for (const CalendarEvent &event : events.first(std::min(events.size(), mostEvents)))
        list.append(eventJson(event));
    co_return QJsonObject{{QLatin1String("status"), QStringLiteral("ok")},
                          {QLatin1String("savedAt"), utcText(now)},
                          {QLatin1String("events"), list}};
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
