// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarText.h"
#include "ConsentRecorder.h"
#include "TestSupport.h"
#include "model/CalendarSource.h"
#include "platform/CalendarStore.h"
#include "platform/InMemoryCredentialStore.h"

#include <QCoroTask>
#include <QDir>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTimeZone>
#include <QtTest>

namespace {

using CalendarText::calendar;
using CalendarText::timedEvent;

using Authorization = CalendarStore::Authorization;

QJsonObject eventJson(const QString &title, const QDateTime &start, bool allDay = false)
{
    return {{"title", title}, {"start", start.toUTC().toString(Qt::ISODate)}, {"allDay", allDay}};
}

} // namespace

// The data document's calendar section and the access question, from real iCalendar files in
// the test's own data folder, on the calendar source alone.
class TestCalendarSource : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        TestSupport::clearDefaults();
        QDir(CalendarStore::tessarineCalendarsDir()).removeRecursively();
    }

    void section_data();
    void section();
    void accessQuestion_data();
    void accessQuestion();
};

void TestCalendarSource::section_data()
{
    QTest::addColumn<QByteArray>("events"); // the calendar file's events
    QTest::addColumn<Authorization>("access");
    QTest::addColumn<QJsonArray>("expected");
    QTest::addColumn<int>("more"); // -1: the "noAccess" section

    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QByteArray standUp = timedEvent("a", now.addSecs(3600), "Stand-up");
    QTest::newRow("never asked") << standUp << Authorization::NotDetermined << QJsonArray() << -1;
    QTest::newRow("refused") << standUp << Authorization::Denied << QJsonArray() << -1;

    // Written latest first, so the store's order is not the order of start times; one event is
    // over and one lies beyond the week.
    QByteArray twenty;
    QJsonArray earliest;
    for (int i = 0; i < 20; ++i) {
        const QDateTime start = now.addSecs((20 - i) * 3600);
        twenty += timedEvent("e" + QByteArray::number(i), start, "Event " + QByteArray::number(i));
        if (i >= 8)
            earliest.prepend(eventJson(QStringLiteral("Event %1").arg(i), start));
    }
    twenty += timedEvent("past", now.addSecs(-7200), "Over") + timedEvent("far", now.addDays(8), "Next week but one");
    QTest::newRow("twenty events give the twelve earliest") << twenty << Authorization::FullAccess << earliest << 8;

    // The day after tomorrow, so the timed events two hours from now come first at any hour.
    const QDate holiday = QDate::currentDate().addDays(2);
    const QByteArray allDay =
        CalendarText::event("day", "DTSTART;VALUE=DATE:" + holiday.toString(u"yyyyMMdd").toLatin1() +
                                       "\r\nDTEND;VALUE=DATE:" + holiday.addDays(1).toString(u"yyyyMMdd").toLatin1() +
                                       "\r\nSUMMARY:Holiday\r\n");
    // All-day events begin at local midnight, given in UTC like every other time.
    QTest::newRow("titles and all-day events")
        << timedEvent("none", now.addSecs(3600), std::nullopt) + timedEvent("empty", now.addSecs(7200), "") + allDay
        << Authorization::FullAccess
        << QJsonArray{eventJson("Untitled", now.addSecs(3600)), eventJson("", now.addSecs(7200)),
                      eventJson("Holiday", QDateTime(holiday, QTime(0, 0)), true)}
        << 0;

    // An event without a title, and one whose recurrence rule cannot be read, still show (that
    // files which are no calendars are passed over is TestCalendarStore's).
    const QByteArray brokenRule =
        CalendarText::event("broken", "SUMMARY:Broken rule\r\nDTSTART:" + CalendarText::stamp(now.addSecs(7200)) +
                                          "\r\nRRULE:FREQ=BOGUS;INTERVAL=-3\r\n");
    QTest::newRow("unreadable rule") << timedEvent("untitled", now.addSecs(3600), std::nullopt) + brokenRule
                                     << Authorization::FullAccess
                                     << QJsonArray{eventJson("Untitled", now.addSecs(3600)),
                                                   eventJson("Broken rule", now.addSecs(7200))}
                                     << 0;

    // Occurrences still running now count; the window ends seven days from now.
    QJsonArray weekly;
    for (int day = -1; day <= 8; ++day) {
        const QDateTime start(now.date().addDays(day), QTime(10, 0), QTimeZone::utc());
        const bool onItsDay = QList<int>{1, 3, 5}.contains(start.date().dayOfWeek());
        if (onItsDay && start.addSecs(3600) > now && start < now.addDays(7))
            weekly.append(eventJson("Gym", start));
    }
    QTest::newRow("weekly event on each of its days")
        << CalendarText::event("weekly", "DTSTART:20260105T100000Z\r\nDTEND:20260105T110000Z\r\n"
                                         "RRULE:FREQ=WEEKLY;BYDAY=MO,WE,FR\r\nSUMMARY:Gym\r\n")
        << Authorization::FullAccess << weekly << 0;
}

void TestCalendarSource::section()
{
    QFETCH(QByteArray, events);
    QFETCH(Authorization, access);
    QFETCH(QJsonArray, expected);
    QFETCH(int, more);

    QDir().mkpath(CalendarStore::tessarineCalendarsDir());
    QVERIFY(
        TestSupport::writeFile(CalendarStore::tessarineCalendarsDir() + QStringLiteral("/test.ics"), calendar(events)));
    CalendarSource source(std::make_shared<InMemoryCredentialStore>());
    source.store().setAuthorization(access);
    const QJsonObject section = QCoro::waitFor(source.section());

    if (more < 0) {
        QCOMPARE(section, QJsonObject({{"status", "noAccess"}, {"events", QJsonArray()}}));
        return;
    }
    QCOMPARE(section.value("status").toString(), QStringLiteral("ok"));
    QCOMPARE(section.value("events").toArray(), expected);
    // How many of the week's events were left out.
    QCOMPARE(section.value("more").toInt(-1), more);
    // An internet date-time in UTC without fractional seconds.
    const QString savedAt = section.value("savedAt").toString();
    QVERIFY2(savedAt.endsWith(u'Z') && !savedAt.contains(u'.'), qPrintable(savedAt));
    QVERIFY(qAbs(QDateTime::fromString(savedAt, Qt::ISODate).secsTo(QDateTime::currentDateTimeUtc())) < 3600);
}

void TestCalendarSource::accessQuestion_data()
{
    QTest::addColumn<std::optional<bool>>("answer");
    QTest::addColumn<Authorization>("access");

    QTest::newRow("allowed") << std::optional<bool>(true) << Authorization::FullAccess;
    QTest::newRow("refused") << std::optional<bool>(false) << Authorization::Denied;
    QTest::newRow("closed unanswered") << std::optional<bool>() << Authorization::NotDetermined;
}

// Whatever the answer, the source counts it and tells the windows to read the access again.
void TestCalendarSource::accessQuestion()
{
    QFETCH(std::optional<bool>, answer);
    QFETCH(Authorization, access);

    ConsentRecorder recorder(answer);
    CalendarSource source(std::make_shared<InMemoryCredentialStore>());
    source.store().setConsentPresenter(&recorder);
    QSignalSpy accessChanged(&source, &CalendarSource::accessChanged);

    source.requestAccess();
    QTRY_COMPARE_WITH_TIMEOUT(accessChanged.count(), 1, 5000);
    QCOMPARE(recorder.asked, 1);
    QCOMPARE(source.accessChanges(), 1);
    QCOMPARE(source.store().authorization(), access);
}

QTEST_GUILESS_MAIN(TestCalendarSource)
#include "TestCalendarSource.moc"
