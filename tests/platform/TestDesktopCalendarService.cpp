// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarText.h"
#include "TestSupport.h"

#include "platform/CalendarStore.h"
#include "platform/Defaults.h"
#include "platform/DesktopCalendarService.h"

#include <QCoroTask>
#include <QDir>
#include <QTest>
#include <QTimeZone>

#include <libecal/libecal.h>

namespace {

using CalendarText::stamp;

QByteArray dateStamp(const QDate &date)
{
    return date.toString(u"yyyyMMdd").toLatin1();
}

QString takeError(GError *error)
{
    const QString text = QString::fromUtf8(error ? error->message : "unknown error");
    g_clear_error(&error);
    return text;
}

QStringList titlesOf(const QList<CalendarEvent> &events)
{
    QStringList titles;
    for (const CalendarEvent &event : events)
        titles.append(event.title.value_or(QStringLiteral("<none>")));
    return titles;
}

} // namespace

// The desktop calendar service, started for real in a private session bus with a throw-away HOME:
// a local calendar made through the service's own library, then read back as the card reads it.
class TestDesktopCalendarService : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withService();
    void withoutSessionBus();

private:
    // Makes a calendar in the service and returns its uid; skips the test when the service cannot
    // be started here.
    QString createCalendar(const QList<QByteArray> &events);
    QString m_skipReason;
};

QString TestDesktopCalendarService::createCalendar(const QList<QByteArray> &events)
{
    GError *error = nullptr;
    ESourceRegistry *registry = e_source_registry_new_sync(nullptr, &error);
    if (!registry) {
        m_skipReason = QStringLiteral("the calendar service's registry could not be started: ") + takeError(error);
        return {};
    }
    ESource *source = e_source_new(nullptr, nullptr, &error);
    e_source_set_display_name(source, "Family");
    e_source_set_parent(source, "local-stub");
    auto *extension = static_cast<ESourceCalendar *>(e_source_get_extension(source, E_SOURCE_EXTENSION_CALENDAR));
    e_source_backend_set_backend_name(E_SOURCE_BACKEND(extension), "local");
    e_source_selectable_set_color(E_SOURCE_SELECTABLE(extension), "#3465a4");
    if (!e_source_registry_commit_source_sync(registry, source, nullptr, &error)) {
        m_skipReason = QStringLiteral("the calendar service did not take a new calendar: ") + takeError(error);
        g_object_unref(source);
        g_object_unref(registry);
        return {};
    }
    const QString uid = QString::fromUtf8(e_source_get_uid(source));
    EClient *client =
        e_cal_client_connect_sync(source, E_CAL_CLIENT_SOURCE_TYPE_EVENTS, static_cast<guint32>(-1), nullptr, &error);
    if (!client) {
        m_skipReason = QStringLiteral("the calendar factory could not be started: ") + takeError(error);
    } else {
        for (const QByteArray &text : events) {
            ICalComponent *component = i_cal_component_new_from_string(text.constData());
            const bool created = e_cal_client_create_object_sync(E_CAL_CLIENT(client), component,
                                                                 E_CAL_OPERATION_FLAG_NONE, nullptr, nullptr, &error);
            g_object_unref(component);
            if (!created) {
                m_skipReason = QStringLiteral("the calendar factory refused an event: ") + takeError(error);
                break;
            }
        }
        g_object_unref(client);
    }
    g_object_unref(source);
    g_object_unref(registry);
    return m_skipReason.isEmpty() ? uid : QString();
}

void TestDesktopCalendarService::withService()
{
    qputenv("TZ", "Europe/Berlin");
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QDate tomorrow = now.toLocalTime().date().addDays(1);
    const QDateTime standUp(tomorrow, QTime(9, 0), QTimeZone::utc());
    const QByteArray recurring = "BEGIN:VEVENT\r\nUID:standup@tests\r\nSUMMARY:Stand-up\r\nDTSTART:" + stamp(standUp) +
                                 "\r\nDTEND:" + stamp(standUp.addSecs(900)) +
                                 "\r\nRRULE:FREQ=DAILY;COUNT=3\r\nEND:VEVENT\r\n";
    const QByteArray allDay = "BEGIN:VEVENT\r\nUID:birthday@tests\r\nSUMMARY:Birthday\r\nDTSTART;VALUE=DATE:" +
                              dateStamp(tomorrow.addDays(1)) +
                              "\r\nDTEND;VALUE=DATE:" + dateStamp(tomorrow.addDays(2)) + "\r\nEND:VEVENT\r\n";
    const QByteArray untitled =
        "BEGIN:VEVENT\r\nUID:untitled@tests\r\nDTSTART:" + stamp(standUp.addSecs(3600)) + "\r\nEND:VEVENT\r\n";
    const QString uid = createCalendar({recurring, allDay, untitled});
    if (uid.isEmpty())
        QSKIP(qPrintable(m_skipReason));

    const QList<DesktopCalendarService::Calendar> calendars = DesktopCalendarService::calendars();
    const auto family =
        std::find_if(calendars.begin(), calendars.end(),
                     [&uid](const DesktopCalendarService::Calendar &calendar) { return calendar.uid == uid; });
    QVERIFY(family != calendars.end());
    QCOMPARE(family->name, QStringLiteral("Family"));
    QCOMPARE(family->colour, QStringLiteral("#3465a4"));

    const DesktopCalendarService::Reading reading = DesktopCalendarService::read(now, now.addDays(7), {});
    QCOMPARE(titlesOf(reading.events), (QStringList{"Stand-up", "<none>", "Birthday", "Stand-up", "Stand-up"}));
    QCOMPARE(reading.events[0].start, standUp);
    QCOMPARE(reading.events[0].end, standUp.addSecs(900));
    QCOMPARE(reading.events[3].start, standUp.addDays(1));
    QCOMPARE(reading.events[4].start, standUp.addDays(2));
    QVERIFY(!reading.events[0].allDay);
    QVERIFY(reading.events[2].allDay);
    QCOMPARE(reading.events[2].start, QDateTime(tomorrow.addDays(1), QTime(0, 0)));
    QCOMPARE(reading.events[2].uid, QStringLiteral("birthday@tests"));
    QCOMPARE(reading.events[2].calendar, DesktopCalendarService::calendarKey(uid));

    // Through the store: a file holding the same birthday shows it once, the service's own file
    // of the local calendar is not read a second time, and the switch leaves the calendar out.
    Defaults::setValue(CalendarStore::accessKey, QStringLiteral("fullAccess"));
    QVERIFY(TestSupport::writeFile(CalendarStore::tessarineCalendarsDir() + QStringLiteral("/copy.ics"),
                                   "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + allDay + "END:VCALENDAR\r\n"));
    CalendarStore store;
    QCOMPARE(titlesOf(QCoro::waitFor(store.events(now, now.addDays(7)))),
             (QStringList{"Stand-up", "<none>", "Birthday", "Stand-up", "Stand-up"}));
    store.setServiceCalendarSwitchedOn(uid, false);
    QCOMPARE(titlesOf(QCoro::waitFor(store.events(now, now.addDays(7)))), QStringList{"Birthday"});
    QCOMPARE(QCoro::waitFor(store.serviceCalendars()).size(), calendars.size());
}

void TestDesktopCalendarService::withoutSessionBus()
{
    QVERIFY(qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QVERIFY(DesktopCalendarService::calendars().isEmpty());
    const DesktopCalendarService::Reading reading = DesktopCalendarService::read(now, now.addDays(7), {});
    QVERIFY(reading.calendars.isEmpty());
    QVERIFY(reading.events.isEmpty());
}

QTEST_GUILESS_MAIN(TestDesktopCalendarService)
#include "TestDesktopCalendarService.moc"
