// SPDX-License-Identifier: GPL-3.0-or-later
#include "DesktopCalendarService.h"

#include <QFileInfo>
#include <QTime>
#include <QTimeZone>
#include <algorithm>
#include <memory>
#include <vector>

#include <libecal/libecal.h>

namespace {

// A connection does not wait for a calendar's backend to come online: local calendars never
// report it (the wait would always run out), and online ones serve their cached events meanwhile.
// The caller bounds the whole read.
constexpr guint32 kDoNotWaitForConnection = static_cast<guint32>(-1);
constexpr int kMaxOccurrencesPerCalendar = 2'000;

struct UnrefDeleter
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
template<typename T>
using GObjectPtr = std::unique_ptr<T, UnrefDeleter>;

struct SourceListDeleter
{
    void operator()(GList *list) const { g_list_free_full(list, g_object_unref); }
};
using SourceList = std::unique_ptr<GList, SourceListDeleter>;

QString takeString(gchar *text)
{
    const QString value = QString::fromUtf8(text ? text : "");
    g_free(text);
    return value;
}

// Without a session bus GLib would try to start one for the X display (dbus-launch), which would
// outlive Tessarine; with neither an address nor the user's bus socket there is no service to ask.
bool hasSessionBus()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

GObjectPtr<ESourceRegistry> connectRegistry()
{
    if (!hasSessionBus())
        return nullptr;
    GError *error = nullptr;
    ESourceRegistry *registry = e_source_registry_new_sync(nullptr, &error);
    // Not installed, not running or no session bus: the source is simply absent.
    g_clear_error(&error);
    return GObjectPtr<ESourceRegistry>(registry);
}

DesktopCalendarService::Calendar calendarOf(ESource *source)
{
    DesktopCalendarService::Calendar calendar;
    calendar.uid = QString::fromUtf8(e_source_get_uid(source));
    calendar.name = takeString(e_source_dup_display_name(source));
    if (e_source_has_extension(source, E_SOURCE_EXTENSION_CALENDAR)) {
        auto *selectable = E_SOURCE_SELECTABLE(e_source_get_extension(source, E_SOURCE_EXTENSION_CALENDAR));
        calendar.colour = takeString(e_source_selectable_dup_color(selectable));
    }
    return calendar;
}

std::vector<std::pair<GObjectPtr<ESource>, DesktopCalendarService::Calendar>>
enabledCalendars(ESourceRegistry *registry)
{
    std::vector<std::pair<GObjectPtr<ESource>, DesktopCalendarService::Calendar>> found;
    const SourceList sources(e_source_registry_list_enabled(registry, E_SOURCE_EXTENSION_CALENDAR));
    for (GList *item = sources.get(); item; item = item->next) {
        auto *source = E_SOURCE(item->data);
        found.emplace_back(GObjectPtr<ESource>(E_SOURCE(g_object_ref(source))), calendarOf(source));
    }
    std::stable_sort(found.begin(), found.end(), [](const auto &a, const auto &b) {
        return QString::localeAwareCompare(a.second.name, b.second.name) < 0;
    });
    return found;
}

QDateTime instantOf(const ICalTime *time)
{
    int year = 0, month = 0, day = 0;
    i_cal_time_get_date(time, &year, &month, &day);
    const QDate date(year, month, day);
    if (!date.isValid())
        return {};
    if (i_cal_time_is_date(time))
        return QDateTime(date, QTime(0, 0));
    if (i_cal_time_is_utc(time))
        return QDateTime::fromSecsSinceEpoch(i_cal_time_as_timet(time), QTimeZone::utc());
    ICalTimezone *zone = i_cal_time_get_timezone(time);
    if (zone)
        return QDateTime::fromSecsSinceEpoch(i_cal_time_as_timet_with_zone(time, zone), QTimeZone::utc());
    // A floating time is the user's wall-clock time.
    return QDateTime(date, QTime(i_cal_time_get_hour(time), i_cal_time_get_minute(time), 0));
}

struct InstanceCollector
{
    QDateTime from;
    QDateTime to;
    QString calendarKey;
    QList<CalendarEvent> events;
};

gboolean collectInstance(ICalComponent *component, ICalTime *start, ICalTime *end, gpointer data, GCancellable *,
                         GError **)
{
    auto *collector = static_cast<InstanceCollector *>(data);
    if (i_cal_component_get_status(component) == I_CAL_STATUS_CANCELLED)
        return TRUE;
    CalendarEvent event;
    const char *summary = i_cal_component_get_summary(component);
    if (summary)
        event.title = QString::fromUtf8(summary);
    const char *uid = i_cal_component_get_uid(component);
    event.uid = QString::fromUtf8(uid ? uid : "");
    event.calendar = collector->calendarKey;
    event.allDay = i_cal_time_is_date(start);
    event.start = instantOf(start);
    event.end = end ? instantOf(end) : event.start;
    if (!event.end.isValid() || event.end < event.start)
        event.end = event.start;
    const bool touchesWindow = event.start.isValid() && event.start < collector->to &&
                               (event.start >= collector->from || event.end > collector->from);
    if (touchesWindow)
        collector->events.append(event);
    return collector->events.size() < kMaxOccurrencesPerCalendar;
}

QList<CalendarEvent> eventsOf(ESource *source, const QString &key, const QDateTime &from, const QDateTime &to)
{
    GError *error = nullptr;
    EClient *client =
        e_cal_client_connect_sync(source, E_CAL_CLIENT_SOURCE_TYPE_EVENTS, kDoNotWaitForConnection, nullptr, &error);
    g_clear_error(&error);
    if (!client)
        return {};
    const GObjectPtr<EClient> owned(client);
    InstanceCollector collector{from, to, key, {}};
    // Instances are asked for from a day early, so an all-day event of today in a zone ahead of UTC
    // and one still running are both among them; the collector keeps what touches the window.
    e_cal_client_generate_instances_sync(E_CAL_CLIENT(client), from.addDays(-1).toSecsSinceEpoch(),
                                         to.toSecsSinceEpoch(), nullptr, collectInstance, &collector);
    return collector.events;
}

} // namespace

namespace DesktopCalendarService {

QString calendarKey(const QString &uid)
{
    return QStringLiteral("desktop-service:") + uid;
}

QList<Calendar> calendars()
{
    const GObjectPtr<ESourceRegistry> registry = connectRegistry();
    if (!registry)
        return {};
    QList<Calendar> found;
    for (const auto &[source, calendar] : enabledCalendars(registry.get()))
        found.append(calendar);
    return found;
}

Reading read(const QDateTime &from, const QDateTime &to, const QStringList &switchedOff)
{
    Reading reading;
    const GObjectPtr<ESourceRegistry> registry = connectRegistry();
    if (!registry || !from.isValid() || !(from < to))
        return reading;
    for (const auto &[source, calendar] : enabledCalendars(registry.get())) {
        reading.calendars.append(calendar);
        if (!switchedOff.contains(calendar.uid))
            reading.events += eventsOf(source.get(), calendarKey(calendar.uid), from, to);
    }
    std::stable_sort(reading.events.begin(), reading.events.end(),
                     [](const CalendarEvent &a, const CalendarEvent &b) { return a.start < b.start; });
    return reading;
}

} // namespace DesktopCalendarService
