// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarText.h"
#include "TestSupport.h"

#include "platform/CalendarConsentPresenter.h"
#include "platform/CalendarFileReader.h"
#include "platform/CalendarStore.h"
#include "platform/Defaults.h"
#include "platform/SignalWait.h"

#include <QCoroTask>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <ctime>

namespace {

QDateTime utc(const char *text)
{
    return QDateTime::fromString(QString::fromLatin1(text), Qt::ISODate);
}

QDateTime localMidnight(int year, int month, int day)
{
    return QDateTime(QDate(year, month, day), QTime(0, 0));
}

// The week the tests look at: Monday 2 March 2026, 00:00 UTC, and seven days on.
const QDateTime kWeekStart = utc("2026-03-02T00:00:00Z");
const QDateTime kWeekEnd = kWeekStart.addDays(7);

bool install(const QString &fixture, const QString &path)
{
    const QByteArray text = TestSupport::fixture(QStringLiteral("calendar/") + fixture);
    return !text.isEmpty() && TestSupport::writeFile(path, text);
}

QString ownCalendar(const QString &name)
{
    return CalendarStore::tessarineCalendarsDir() + QLatin1Char('/') + name;
}

QString desktopCalendar(const QString &folder)
{
    return CalendarStore::desktopCalendarsDir() + QLatin1Char('/') + folder + QStringLiteral("/calendar.ics");
}

QList<CalendarEvent> eventsBetween(const QDateTime &from, const QDateTime &to)
{
    CalendarStore store;
    return QCoro::waitFor(store.events(from, to));
}

// The children of this process that are still there, as the kernel lists them.
QByteArray childProcesses()
{
    QByteArray children;
    for (const QString &task : QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        children += TestSupport::readFile(QStringLiteral("/proc/self/task/") + task + QStringLiteral("/children"));
    return children.trimmed();
}

QStringList titlesOf(const QList<CalendarEvent> &events)
{
    QStringList titles;
    for (const CalendarEvent &event : events)
        titles.append(event.title.value_or(QStringLiteral("<none>")));
    return titles;
}

QList<QDateTime> startsOf(const QList<CalendarEvent> &events, const QString &title)
{
    QList<QDateTime> starts;
    for (const CalendarEvent &event : events) {
        if (event.title == title)
            starts.append(event.start.toUTC());
    }
    return starts;
}

QByteArray singleEvent(int index, const QDateTime &start)
{
    return "BEGIN:VEVENT\r\nUID:event" + QByteArray::number(index) + "@tests\r\nSUMMARY:Event " +
           QByteArray::number(index) + "\r\nDTSTART:" + CalendarText::stamp(start) + "\r\nEND:VEVENT\r\n";
}

using CalendarText::calendar;

} // namespace

// Answers the consent question as told and counts how often it was asked. With `holding` set it
// keeps the question open until release() is called.
class RecordingPresenter : public QObject, public CalendarConsentPresenter
{
    Q_OBJECT
public:
    std::optional<bool> answer;
    bool holding = false;
    int asked = 0;

    QCoro::Task<std::optional<bool>> askForCalendarAccess() override
    {
        ++asked;
        if (holding)
            co_await nextSignal(this, &RecordingPresenter::released);
        co_return answer;
    }

    void release() { Q_EMIT released(); }

Q_SIGNALS:
    void released();
};

class TestCalendarStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();

    void twentyEventsComeInStartOrder();
    void equalStartsKeepStoreOrder();
    void recurrences_data();
    void recurrences();
    void allDayEventsStayAllDay();
    void timeZones_data();
    void timeZones();
    void windowEdges();
    void titles();
    void badFilesAndRulesAreSkippedOrBounded();
    void longLinesAreUnfoldedOrLeftOut();
    void oversizedFilesAreSkipped();
    void aSlowReadIsNotWaitedForBeyondTheBound();
    void oneBadCalendarLeavesTheOthers_data();
    void oneBadCalendarLeavesTheOthers();
    void sameEventInTwoFilesShowsOnce();
    void switchedOffFilesAreNotRead();
    void nothingIsReadWithoutFullAccess_data();
    void nothingIsReadWithoutFullAccess();
    void authorizationRoundTrip();
    void requestAsksOnceAndKeepsTheAnswer_data();
    void requestAsksOnceAndKeepsTheAnswer();
    void requestsDuringTheQuestionShareItsAnswer();
    void requestWithoutPresenterLeavesTheQuestionOpen();
};

void TestCalendarStore::initTestCase()
{
    // A zone an hour ahead of UTC in March, so that floating times read as UTC would show.
    qputenv("TZ", "Europe/Berlin");
    tzset();
    QCOMPARE(QDateTime(QDate(2026, 3, 4), QTime(10, 0)).toUTC(), utc("2026-03-04T09:00:00Z"));
}

void TestCalendarStore::init()
{
    QDir(CalendarStore::tessarineCalendarsDir()).removeRecursively();
    QDir(CalendarStore::desktopCalendarsDir()).removeRecursively();
    Defaults::remove(CalendarStore::switchedOffFilesKey);
    Defaults::setValue(CalendarStore::accessKey, QStringLiteral("fullAccess"));
}

void TestCalendarStore::twentyEventsComeInStartOrder()
{
    // Written in a scrambled order: every seventh event of twenty, each 8 hours apart.
    QByteArray events;
    QList<QDateTime> expected;
    for (int i = 0; i < 20; ++i) {
        const int slot = (i * 7) % 20;
        events += singleEvent(slot, kWeekStart.addSecs(3600 + slot * 8 * 3600));
    }
    for (int slot = 0; slot < 20; ++slot)
        expected.append(kWeekStart.addSecs(3600 + slot * 8 * 3600));
    QVERIFY(TestSupport::writeFile(ownCalendar(QStringLiteral("week.ics")), calendar(events)));

    const QList<CalendarEvent> found = eventsBetween(kWeekStart, kWeekEnd);
    QCOMPARE(found.size(), 20);
    for (int slot = 0; slot < 20; ++slot) {
        QCOMPARE(found[slot].start, expected[slot]);
        QCOMPARE(found[slot].title.value_or(QString()), QStringLiteral("Event %1").arg(slot));
        QVERIFY(!found[slot].allDay);
    }
}

void TestCalendarStore::equalStartsKeepStoreOrder()
{
    const QDateTime start = kWeekStart.addDays(2);
    QVERIFY(TestSupport::writeFile(ownCalendar(QStringLiteral("b.ics")),
                                   calendar(singleEvent(3, start) + singleEvent(4, start))));
    QVERIFY(TestSupport::writeFile(ownCalendar(QStringLiteral("a.ics")),
                                   calendar(singleEvent(2, start) + singleEvent(1, start.addSecs(-60)))));
    QVERIFY(TestSupport::writeFile(desktopCalendar(QStringLiteral("system")), calendar(singleEvent(0, start))));

    const QStringList expected = {QStringLiteral("Event 1"), QStringLiteral("Event 2"), QStringLiteral("Event 3"),
                                  QStringLiteral("Event 4"), QStringLiteral("Event 0")};
    QCOMPARE(titlesOf(eventsBetween(kWeekStart, kWeekEnd)), expected);
}

void TestCalendarStore::recurrences_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QList<QDateTime>>("starts");

    QTest::newRow("weekly on three days")
        << QStringLiteral("Stand-up")
        << QList<QDateTime>{utc("2026-03-02T09:00:00Z"), utc("2026-03-04T09:00:00Z"), utc("2026-03-06T09:00:00Z")};
    QTest::newRow("EXDATE removes one") << QStringLiteral("Review") << QList<QDateTime>{utc("2026-03-05T14:00:00Z")};
    QTest::newRow("COUNT ends the rule") << QStringLiteral("Lunch")
                                         << QList<QDateTime>{utc("2026-03-02T12:00:00Z"), utc("2026-03-03T12:00:00Z"),
                                                             utc("2026-03-04T12:00:00Z")};
    QTest::newRow("RDATE adds occurrences")
        << QStringLiteral("Extra") << QList<QDateTime>{utc("2026-03-04T08:00:00Z"), utc("2026-03-06T08:00:00Z")};
    QTest::newRow("a moved occurrence leaves its series")
        << QStringLiteral("Planning") << QList<QDateTime>{utc("2026-03-02T10:00:00Z")};
    QTest::newRow("and shows at its new time")
        << QStringLiteral("Planning (moved)") << QList<QDateTime>{utc("2026-03-05T15:00:00Z")};
    QTest::newRow("UNTIL before the window") << QStringLiteral("Ended") << QList<QDateTime>{};
    QTest::newRow("cancelled events are left out") << QStringLiteral("Cancelled") << QList<QDateTime>{};
}

void TestCalendarStore::recurrences()
{
    QFETCH(QString, title);
    QFETCH(QList<QDateTime>, starts);
    QVERIFY(install(QStringLiteral("recurring.ics"), ownCalendar(QStringLiteral("recurring.ics"))));

    QCOMPARE(startsOf(eventsBetween(kWeekStart, kWeekEnd), title), starts);
}

void TestCalendarStore::allDayEventsStayAllDay()
{
    QVERIFY(install(QStringLiteral("allday.ics"), ownCalendar(QStringLiteral("allday.ics"))));

    const QList<CalendarEvent> found = eventsBetween(localMidnight(2026, 3, 2), localMidnight(2026, 3, 9));
    const QStringList expectedTitles = {QStringLiteral("Conference"), QStringLiteral("Holiday"),
                                        QStringLiteral("Bin day"), QStringLiteral("Birthday")};
    QCOMPARE(titlesOf(found), expectedTitles);
    for (const CalendarEvent &event : found)
        QVERIFY2(event.allDay, qPrintable(*event.title));
    // The three-day conference began before the window and is still on when it opens.
    QCOMPARE(found[0].start, localMidnight(2026, 3, 1));
    QCOMPARE(found[0].end, localMidnight(2026, 3, 4));
    QCOMPARE(found[1].start, localMidnight(2026, 3, 4));
    QCOMPARE(found[1].end, localMidnight(2026, 3, 5));
    // Monday's bin day is excluded by its EXDATE; Thursday's stays.
    QCOMPARE(found[2].start, localMidnight(2026, 3, 5));
    QCOMPARE(found[3].start, localMidnight(2026, 3, 6));
    QCOMPARE(found[3].end, localMidnight(2026, 3, 7));
}

void TestCalendarStore::timeZones_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QList<QDateTime>>("starts");

    QTest::newRow("VTIMEZONE, standard time")
        << QStringLiteral("Zoned in winter") << QList<QDateTime>{utc("2026-03-03T09:00:00Z")};
    QTest::newRow("VTIMEZONE, summer time")
        << QStringLiteral("Zoned in summer") << QList<QDateTime>{utc("2026-07-01T08:00:00Z")};
    QTest::newRow("recurring across the clock change")
        << QStringLiteral("Weekly across the clock change")
        << QList<QDateTime>{utc("2026-03-23T09:00:00Z"), utc("2026-03-30T08:00:00Z")};
    QTest::newRow("UTC") << QStringLiteral("In UTC") << QList<QDateTime>{utc("2026-03-04T10:00:00Z")};
    QTest::newRow("known zone without VTIMEZONE")
        << QStringLiteral("Named zone without VTIMEZONE") << QList<QDateTime>{utc("2026-03-04T15:00:00Z")};
    QTest::newRow("floating is local time")
        << QStringLiteral("Floating") << QList<QDateTime>{utc("2026-03-04T09:00:00Z")};
    QTest::newRow("unknown zone is read as local time")
        << QStringLiteral("Unknown zone") << QList<QDateTime>{utc("2026-03-04T09:00:00Z")};
}

void TestCalendarStore::timeZones()
{
    QFETCH(QString, title);
    QFETCH(QList<QDateTime>, starts);
    QVERIFY(install(QStringLiteral("zones.ics"), ownCalendar(QStringLiteral("zones.ics"))));

    QCOMPARE(startsOf(eventsBetween(utc("2026-01-01T00:00:00Z"), utc("2027-01-01T00:00:00Z")), title), starts);
}

void TestCalendarStore::windowEdges()
{
    QVERIFY(install(QStringLiteral("running.ics"), ownCalendar(QStringLiteral("running.ics"))));

    // An event still running when the window opens is kept; one that ended exactly then, or
    // starts exactly when the window closes, is not.
    const QStringList expected = {QStringLiteral("Still running"), QStringLiteral("At the start")};
    QCOMPARE(titlesOf(eventsBetween(kWeekStart, kWeekEnd)), expected);
}

void TestCalendarStore::titles()
{
    QVERIFY(install(QStringLiteral("titles.ics"), ownCalendar(QStringLiteral("titles.ics"))));

    const QList<CalendarEvent> found = eventsBetween(kWeekStart, kWeekEnd);
    QCOMPARE(found.size(), 3);
    QVERIFY(!found[0].title.has_value());
    QVERIFY(found[1].title.has_value());
    QCOMPARE(*found[1].title, QString());
    QCOMPARE(found[2].title.value_or(QString()), QStringLiteral("Tea, cake and a chat"));
}

void TestCalendarStore::badFilesAndRulesAreSkippedOrBounded()
{
    QVERIFY(install(QStringLiteral("not-a-calendar.ics"), ownCalendar(QStringLiteral("a-not-a-calendar.ics"))));
    QVERIFY(install(QStringLiteral("truncated.ics"), ownCalendar(QStringLiteral("b-truncated.ics"))));
    QVERIFY(install(QStringLiteral("broken-rules.ics"), ownCalendar(QStringLiteral("c-broken-rules.ics"))));

    const QList<CalendarEvent> found = eventsBetween(kWeekStart, kWeekEnd);
    QVERIFY(titlesOf(found).contains(QStringLiteral("After the broken ones")));
    QVERIFY(!titlesOf(found).contains(QStringLiteral("Milk")));
    QVERIFY(!titlesOf(found).contains(QStringLiteral("Cut off")));
    // A rule libical cannot parse leaves the event as a single one.
    QCOMPARE(startsOf(found, QStringLiteral("Broken rule")), QList<QDateTime>{utc("2026-03-03T09:00:00Z")});
    QCOMPARE(startsOf(found, QStringLiteral("Never happens again")), QList<QDateTime>{});
    // A rule stepping every second since 2020 gives up long before this week.
    QCOMPARE(startsOf(found, QStringLiteral("Every second since 2020")), QList<QDateTime>{});
    const qsizetype everySecond = startsOf(found, QStringLiteral("Every second this week")).size();
    QVERIFY2(everySecond > 0 && everySecond <= 1000, qPrintable(QString::number(everySecond)));
}

void TestCalendarStore::longLinesAreUnfoldedOrLeftOut()
{
    const QDateTime start = kWeekStart.addDays(1);
    // A 300 KB title folded over thousands of lines is read whole; a 3 MB description on one
    // physical line, and one folded, are left out without losing their event or the next ones.
    QByteArray title(300 * 1024, 't');
    QByteArray foldedTitle;
    const QByteArray titleLine = "SUMMARY:" + title;
    for (qsizetype i = 0; i < titleLine.size(); i += 74)
        foldedTitle += (i > 0 ? " " : "") + titleLine.mid(i, 74) + "\r\n";
    const QByteArray description = "DESCRIPTION:" + QByteArray(3 * 1024 * 1024, 'd');
    QByteArray foldedDescription;
    for (qsizetype i = 0; i < description.size(); i += 74)
        foldedDescription += (i > 0 ? "\t" : "") + description.mid(i, 74) + "\n";
    const QByteArray stamp = start.toString(u"yyyyMMdd'T'HHmmss'Z'").toLatin1();
    const QByteArray events = "BEGIN:VEVENT\r\nUID:long-title@tests\r\n" + foldedTitle + "DTSTART:" + stamp +
                              "\r\nEND:VEVENT\r\n" + "BEGIN:VEVENT\r\nUID:one-line@tests\r\nSUMMARY:One line\r\n" +
                              description + "\r\nDTSTART:" + stamp + "\r\nEND:VEVENT\r\n" +
                              "BEGIN:VEVENT\r\nUID:folded@tests\r\nSUMMARY:Folded\r\n" + foldedDescription +
                              "DTSTART:" + stamp + "\r\nEND:VEVENT\r\n" + singleEvent(7, start.addSecs(60));
    QVERIFY(TestSupport::writeFile(ownCalendar(QStringLiteral("long.ics")), calendar(events)));

    const QList<CalendarEvent> found = eventsBetween(kWeekStart, kWeekEnd);
    QCOMPARE(found.size(), 4);
    QCOMPARE(found[0].title, std::optional<QString>(QString::fromLatin1(title)));
    QCOMPARE(found[0].uid, QStringLiteral("long-title@tests"));
    QCOMPARE(titlesOf(found).mid(1), (QStringList{"One line", "Folded", "Event 7"}));
    QCOMPARE(found[3].start, start.addSecs(60));
}

void TestCalendarStore::oversizedFilesAreSkipped()
{
    const QString big = ownCalendar(QStringLiteral("big.ics"));
    QByteArray padding = "X-PADDING:" + QByteArray(70, 'p') + "\r\n";
    QByteArray text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\n" + singleEvent(1, kWeekStart.addDays(1));
    text.reserve(CalendarFileReader::maxFileBytes + 1024);
    while (text.size() <= CalendarFileReader::maxFileBytes)
        text += padding;
    text += "END:VCALENDAR\r\n";
    QVERIFY(TestSupport::writeFile(big, text));
    QVERIFY(TestSupport::writeFile(ownCalendar(QStringLiteral("small.ics")),
                                   calendar(singleEvent(2, kWeekStart.addDays(2)))));

    QVERIFY(CalendarFileReader::isTooLarge(big));
    QVERIFY(!CalendarFileReader::isTooLarge(ownCalendar(QStringLiteral("small.ics"))));
    QCOMPARE(titlesOf(eventsBetween(kWeekStart, kWeekEnd)), QStringList{"Event 2"});
    QFile::remove(big);
}

void TestCalendarStore::aSlowReadIsNotWaitedForBeyondTheBound()
{
    // Enough events that reading them takes far longer than the bound below.
    QByteArray events;
    for (int i = 0; i < 150'000; ++i)
        events += singleEvent(i, kWeekStart.addSecs(i));
    QVERIFY(TestSupport::writeFile(ownCalendar(QStringLiteral("huge.ics")), calendar(events)));

    CalendarStore store;
    store.setReadBound(std::chrono::milliseconds(1));
    QVERIFY(QCoro::waitFor(store.events(kWeekStart, kWeekEnd)).isEmpty());
    QCOMPARE(store.fileProblem(ownCalendar(QStringLiteral("huge.ics"))),
             QStringLiteral("Reading it took too long, so its events were left out."));
    // The overrun read was stopped: no reader is left running.
    QCOMPARE(childProcesses(), QByteArray());
    // A read with the usual bound gets everything.
    store.setReadBound(CalendarStore::defaultReadBound);
    QCOMPARE(QCoro::waitFor(store.events(kWeekStart, kWeekEnd)).size(), 150'000);
}

void TestCalendarStore::oneBadCalendarLeavesTheOthers_data()
{
    QTest::addColumn<QByteArray>("bad");
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QStringList>("titles");
    const QByteArray start = "DTSTART:20260303T090000Z\r\n";
    QTest::newRow("a rule with no instance")
        << calendar("BEGIN:VEVENT\r\nUID:r@t\r\nSUMMARY:Never\r\n" + start +
                    "RRULE:FREQ=SECONDLY;BYMONTH=2;BYMONTHDAY=30\r\nEND:VEVENT\r\n")
        << "An event in it repeats every second" << QStringList{"Event 2", "Never"};
    QTest::newRow("a time zone changing every minute")
        << calendar("BEGIN:VTIMEZONE\r\nTZID:Fast\r\nBEGIN:STANDARD\r\nDTSTART:19700101T000000\r\n"
                    "RRULE:FREQ=MINUTELY\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0100\r\nEND:STANDARD\r\n"
                    "END:VTIMEZONE\r\nBEGIN:VEVENT\r\nUID:z@t\r\nSUMMARY:Zoned\r\n"
                    "DTSTART;TZID=Fast:20260303T100000\r\nEND:VEVENT\r\n")
        << "A time zone in it changes more often than once a year" << QStringList{"Event 2", "Zoned"};
    QByteArray carriageReturns = calendar(singleEvent(1, kWeekStart.addDays(0)));
    carriageReturns.replace("\r\n", "\r");
    QTest::newRow("lines ended by CR alone") << carriageReturns << QString() << QStringList{"Event 1", "Event 2"};
    QTest::newRow("not a calendar") << QByteArray("<html>Moved</html>") << "It is not an iCalendar file."
                                    << QStringList{"Event 2"};
}

// A calendar that cannot be read costs only its own events, and its row says why.
void TestCalendarStore::oneBadCalendarLeavesTheOthers()
{
    QFETCH(QByteArray, bad);
    QFETCH(QString, problem);
    QFETCH(QStringList, titles);
    QVERIFY(TestSupport::writeFile(ownCalendar(QStringLiteral("a-bad.ics")), bad));
    QVERIFY(TestSupport::writeFile(ownCalendar(QStringLiteral("b-good.ics")),
                                   calendar(singleEvent(2, kWeekStart.addDays(1)))));
    CalendarStore store;
    QCOMPARE(titlesOf(QCoro::waitFor(store.events(kWeekStart, kWeekEnd))), titles);
    QVERIFY2(store.fileProblem(ownCalendar(QStringLiteral("a-bad.ics"))).startsWith(problem),
             qPrintable(store.fileProblem(ownCalendar(QStringLiteral("a-bad.ics")))));
    QCOMPARE(store.fileProblem(ownCalendar(QStringLiteral("b-good.ics"))), QString());
}

void TestCalendarStore::sameEventInTwoFilesShowsOnce()
{
    const QDateTime start = kWeekStart.addDays(1);
    QVERIFY(TestSupport::writeFile(ownCalendar(QStringLiteral("a.ics")),
                                   calendar(singleEvent(1, start) + singleEvent(2, start))));
    // Event 1 again at the same start, and again a day later (another occurrence, kept).
    QVERIFY(TestSupport::writeFile(desktopCalendar(QStringLiteral("system")),
                                   calendar(singleEvent(1, start) + singleEvent(1, start.addDays(1)))));

    const QList<CalendarEvent> found = eventsBetween(kWeekStart, kWeekEnd);
    QCOMPARE(titlesOf(found), (QStringList{"Event 1", "Event 2", "Event 1"}));
    QCOMPARE(found[0].calendar, ownCalendar(QStringLiteral("a.ics")));
    QCOMPARE(found[2].start, start.addDays(1));
}

void TestCalendarStore::switchedOffFilesAreNotRead()
{
    const QString work = ownCalendar(QStringLiteral("work.ics"));
    const QString family = ownCalendar(QStringLiteral("home, family.ics"));
    const QString desktop = desktopCalendar(QStringLiteral("system"));
    QVERIFY(install(QStringLiteral("titles.ics"), work));
    QVERIFY(install(QStringLiteral("recurring.ics"), family));
    QVERIFY(install(QStringLiteral("allday.ics"), desktop));
    QDir().mkpath(CalendarStore::desktopCalendarsDir() + QStringLiteral("/empty-folder"));

    CalendarStore store;
    QCOMPARE(store.calendarFiles(), (QStringList{family, work, desktop}));
    QSignalSpy changed(&store, &CalendarStore::switchedOffFilesChanged);
    store.setSwitchedOffFiles({family, desktop});
    store.setSwitchedOffFiles({desktop, family});
    QCOMPARE(changed.size(), 1);

    CalendarStore later;
    QVERIFY(later.isSwitchedOff(family));
    QVERIFY(later.isSwitchedOff(desktop));
    QVERIFY(!later.isSwitchedOff(work));
    const QList<CalendarEvent> found = QCoro::waitFor(later.events(kWeekStart, kWeekEnd));
    QCOMPARE(titlesOf(found),
             (QStringList{QStringLiteral("<none>"), QString(), QStringLiteral("Tea, cake and a chat")}));

    later.setSwitchedOffFiles({});
    const QStringList all = titlesOf(QCoro::waitFor(later.events(kWeekStart, kWeekEnd)));
    QVERIFY(all.contains(QStringLiteral("Stand-up")));
    QVERIFY(all.contains(QStringLiteral("Holiday")));
}

void TestCalendarStore::nothingIsReadWithoutFullAccess_data()
{
    QTest::addColumn<CalendarStore::Authorization>("authorization");
    QTest::newRow("not asked yet") << CalendarStore::Authorization::NotDetermined;
    QTest::newRow("refused") << CalendarStore::Authorization::Denied;
}

void TestCalendarStore::nothingIsReadWithoutFullAccess()
{
    QFETCH(CalendarStore::Authorization, authorization);
    QVERIFY(install(QStringLiteral("titles.ics"), ownCalendar(QStringLiteral("titles.ics"))));
    CalendarStore store;
    QCOMPARE(QCoro::waitFor(store.events(kWeekStart, kWeekEnd)).size(), 3);

    store.setAuthorization(authorization);
    QVERIFY(QCoro::waitFor(store.events(kWeekStart, kWeekEnd)).isEmpty());
}

void TestCalendarStore::authorizationRoundTrip()
{
    Defaults::remove(CalendarStore::accessKey);
    CalendarStore store;
    QCOMPARE(store.authorization(), CalendarStore::Authorization::NotDetermined);
    QSignalSpy changed(&store, &CalendarStore::authorizationChanged);

    for (const auto state : {CalendarStore::Authorization::FullAccess, CalendarStore::Authorization::Denied,
                             CalendarStore::Authorization::NotDetermined}) {
        store.setAuthorization(state);
        store.setAuthorization(state);
        QCOMPARE(CalendarStore().authorization(), state);
    }
    QCOMPARE(changed.size(), 3);

    // A value this program never writes reads as not asked, so the question is put again.
    Defaults::setValue(CalendarStore::accessKey, QStringLiteral("writeOnly"));
    QCOMPARE(store.authorization(), CalendarStore::Authorization::NotDetermined);
}

void TestCalendarStore::requestAsksOnceAndKeepsTheAnswer_data()
{
    // The user's answer: 1 allows, 0 refuses, -1 closes the question without answering.
    QTest::addColumn<int>("answer");
    QTest::addColumn<CalendarStore::Authorization>("stored");
    QTest::addColumn<int>("askedAfterSecondRequest");

    QTest::newRow("allowed") << 1 << CalendarStore::Authorization::FullAccess << 1;
    QTest::newRow("refused") << 0 << CalendarStore::Authorization::Denied << 1;
    QTest::newRow("closed unanswered") << -1 << CalendarStore::Authorization::NotDetermined << 2;
}

void TestCalendarStore::requestAsksOnceAndKeepsTheAnswer()
{
    QFETCH(int, answer);
    QFETCH(CalendarStore::Authorization, stored);
    QFETCH(int, askedAfterSecondRequest);
    Defaults::remove(CalendarStore::accessKey);
    RecordingPresenter presenter;
    if (answer >= 0)
        presenter.answer = answer == 1;
    CalendarStore store;
    store.setConsentPresenter(&presenter);
    QSignalSpy finished(&store, &CalendarStore::accessRequestFinished);

    const bool granted = answer == 1;
    QCOMPARE(QCoro::waitFor(store.requestFullAccess()), granted);
    QCOMPARE(presenter.asked, 1);
    QCOMPARE(CalendarStore().authorization(), stored);
    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().toBool(), granted);

    // Asking again gives the kept answer; only an unanswered question is put again.
    presenter.answer = !granted;
    const bool second = QCoro::waitFor(store.requestFullAccess());
    QCOMPARE(presenter.asked, askedAfterSecondRequest);
    QCOMPARE(second, askedAfterSecondRequest == 1 ? granted : !granted);
}

void TestCalendarStore::requestsDuringTheQuestionShareItsAnswer()
{
    Defaults::remove(CalendarStore::accessKey);
    RecordingPresenter presenter;
    presenter.answer = true;
    presenter.holding = true;
    CalendarStore store;
    store.setConsentPresenter(&presenter);

    QCoro::Task<bool> first = store.requestFullAccess();
    QCoro::Task<bool> second = store.requestFullAccess();
    QCOMPARE(presenter.asked, 1);
    presenter.release();

    QVERIFY(QCoro::waitFor(std::move(first)));
    QVERIFY(QCoro::waitFor(std::move(second)));
    QCOMPARE(presenter.asked, 1);
    QCOMPARE(store.authorization(), CalendarStore::Authorization::FullAccess);
}

void TestCalendarStore::requestWithoutPresenterLeavesTheQuestionOpen()
{
    Defaults::remove(CalendarStore::accessKey);
    CalendarStore store;
    QSignalSpy changed(&store, &CalendarStore::authorizationChanged);

    QVERIFY(!QCoro::waitFor(store.requestFullAccess()));
    QCOMPARE(store.authorization(), CalendarStore::Authorization::NotDetermined);
    QCOMPARE(changed.size(), 0);
}

QTEST_GUILESS_MAIN(TestCalendarStore)
#include "TestCalendarStore.moc"
