// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeTools.h"
#include "RefreshSupport.h"
#include "TestSupport.h"
#include "model/FrameModel.h"
#include "platform/CalendarConsentPresenter.h"
#include "platform/CalendarStore.h"
#include "platform/CalendarSubscriptions.h"
#include "platform/InMemoryCredentialStore.h"
#include "platform/SubscriptionFetch.h"
#include "render/PageRenderer.h"

#include <QApplication>

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>
#include <memory>

using namespace RefreshSupport;

namespace {

QByteArray utcStamp(const QDateTime &time)
{
    return time.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toLatin1();
}

QByteArray calendar(const QByteArray &events)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Tessarine tests//EN\r\n" + events + "END:VCALENDAR\r\n";
}

QByteArray vevent(const QByteArray &uid, const QByteArray &lines)
{
    return "BEGIN:VEVENT\r\nUID:" + uid + "\r\nDTSTAMP:20260101T000000Z\r\n" + lines + "END:VEVENT\r\n";
}

QByteArray timedEvent(const QByteArray &uid, const QDateTime &start, const std::optional<QByteArray> &summary)
{
    QByteArray lines = "DTSTART:" + utcStamp(start) + "\r\nDTEND:" + utcStamp(start.addSecs(1800)) + "\r\n";
    if (summary)
        lines += "SUMMARY:" + *summary + "\r\n";
    return vevent(uid, lines);
}

QString utcText(const QDateTime &time)
{
    return time.toUTC().toString(Qt::ISODate);
}

// Answers the access question as told and counts how often it was asked.
class ConsentRecorder : public CalendarConsentPresenter
{
public:
    explicit ConsentRecorder(std::optional<bool> answer)
        : m_answer(answer)
    {}

    QCoro::Task<std::optional<bool>> askForCalendarAccess() override
    {
        ++asked;
        co_return m_answer;
    }

    int asked = 0;

private:
    std::optional<bool> m_answer;
};

} // namespace

// The calendar section the refresh hands to the data collector, from real iCalendar files in the
// test's own data folder, and the access question.
class TestFrameModelCalendar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void withoutAccessTheSectionIsEmpty_data();
    void withoutAccessTheSectionIsEmpty();
    void twentyEventsGiveTheTwelveEarliest();
    void titlesAndAllDayEvents();
    void weeklyEventOnEachOfItsDays();
    void accessQuestionBumpsTheCounterAndRefreshes_data();
    void accessQuestionBumpsTheCounterAndRefreshes();
    void calendarReadOnlyWhenAPageShowsIt_data();
    void calendarReadOnlyWhenAPageShowsIt();

private:
    std::unique_ptr<FrameModel> makeModel() const;
    void writeCalendar(const QByteArray &text) const;
    QJsonObject calendarOf(FrameModel &model) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFrameModelCalendar::init()
{
    QVERIFY(FakeTools::isolated());
    m_dir = std::make_unique<QTemporaryDir>();
    qputenv("TESSARINE_SCREENS", m_dir->filePath(QStringLiteral("screens")).toUtf8());
    qputenv("TESSARINE_VIEWS", TestSupport::fixturePath(QStringLiteral("refresh/views")).toUtf8());
    TestSupport::clearDefaults();
    FakeTools::useLoginShell(QStringLiteral("/bin/sh"));
    QDir(CalendarStore::tessarineCalendarsDir()).removeRecursively();
}

void TestFrameModelCalendar::cleanup()
{
    m_dir.reset();
}

std::unique_ptr<FrameModel> TestFrameModelCalendar::makeModel() const
{
    return std::make_unique<FrameModel>(std::make_shared<InMemoryCredentialStore>(), nullptr);
}

void TestFrameModelCalendar::writeCalendar(const QByteArray &text) const
{
    QDir().mkpath(CalendarStore::tessarineCalendarsDir());
    QVERIFY(TestSupport::writeFile(CalendarStore::tessarineCalendarsDir() + QStringLiteral("/test.ics"), text));
}

QJsonObject TestFrameModelCalendar::calendarOf(FrameModel &model) const
{
    return QCoro::waitFor(model.calendarData());
}

void TestFrameModelCalendar::withoutAccessTheSectionIsEmpty_data()
{
    QTest::addColumn<int>("access");
    QTest::newRow("never asked") << int(CalendarStore::Authorization::NotDetermined);
    QTest::newRow("refused") << int(CalendarStore::Authorization::Denied);
}

void TestFrameModelCalendar::withoutAccessTheSectionIsEmpty()
{
    QFETCH(int, access);
    writeCalendar(calendar(timedEvent("a", QDateTime::currentDateTimeUtc().addSecs(3600), "Stand-up")));
    const auto model = makeModel();
    model->eventStore().setAuthorization(CalendarStore::Authorization(access));

    const QJsonObject empty{{"status", "noAccess"}, {"events", QJsonArray()}};
    QCOMPARE(calendarOf(*model), empty);

    // The refresh hands the same section to the document when the calendar widget is placed (the
    // catalogue's second page holds it).
    model->refresh();
    QVERIFY(waitUntilIdle(*model));
    QCOMPARE(model->errorLine(), std::nullopt);
    const QJsonObject document = readObject(QDir(model->screensDir()).filePath(QStringLiteral("data.json")));
    QCOMPARE(document.value("calendar").toObject(), empty);
}

void TestFrameModelCalendar::twentyEventsGiveTheTwelveEarliest()
{
    // Written latest first, so the store's order is not the order of start times.
    const QDateTime now = QDateTime::currentDateTimeUtc();
    QByteArray events;
    for (int i = 0; i < 20; ++i)
        events += timedEvent(QByteArray("e" + QByteArray::number(i)), now.addSecs((20 - i) * 3600),
                             QByteArray("Event " + QByteArray::number(i)));
    events += timedEvent("past", now.addSecs(-7200), "Over");
    events += timedEvent("far", now.addDays(8), "Next week but one");
    writeCalendar(calendar(events));
    const auto model = makeModel();
    model->eventStore().setAuthorization(CalendarStore::Authorization::FullAccess);

    const QJsonObject section = calendarOf(*model);
    QCOMPARE(section.value("status").toString(), QStringLiteral("ok"));
    const QDateTime savedAt = QDateTime::fromString(section.value("savedAt").toString(), Qt::ISODate);
    QVERIFY(savedAt.isValid());
    QVERIFY(section.value("savedAt").toString().endsWith(u'Z'));
    QVERIFY(!section.value("savedAt").toString().contains(u'.'));
    QVERIFY(qAbs(savedAt.secsTo(now)) < 3600);

    const QJsonArray list = section.value("events").toArray();
    QCOMPARE(list.size(), 12);
    // The eight left out are counted (the past and the far event are not in the week).
    QCOMPARE(section.value("more").toInt(-1), 8);
    for (int k = 0; k < 12; ++k) {
        const int i = 19 - k;
        const QDateTime start = now.addSecs((20 - i) * 3600);
        QCOMPARE(
            list.at(k).toObject(),
            QJsonObject({{"title", QStringLiteral("Event %1").arg(i)}, {"start", utcText(start)}, {"allDay", false}}));
    }
}

void TestFrameModelCalendar::titlesAndAllDayEvents()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    // The day after tomorrow, so the timed events two hours from now come first at any hour.
    const QDate holidayDate = QDate::currentDate().addDays(2);
    const QByteArray allDay =
        vevent("day", "DTSTART;VALUE=DATE:" + holidayDate.toString(u"yyyyMMdd").toLatin1() + "\r\nDTEND;VALUE=DATE:" +
                          holidayDate.addDays(1).toString(u"yyyyMMdd").toLatin1() + "\r\nSUMMARY:Holiday\r\n");
    writeCalendar(calendar(timedEvent("none", now.addSecs(3600), std::nullopt) +
                           timedEvent("empty", now.addSecs(7200), QByteArray()) + allDay));
    const auto model = makeModel();
    model->eventStore().setAuthorization(CalendarStore::Authorization::FullAccess);

    const QJsonArray list = calendarOf(*model).value("events").toArray();
    QCOMPARE(list.size(), 3);
    QCOMPARE(list.at(0).toObject().value("title").toString(), QStringLiteral("Untitled"));
    QCOMPARE(list.at(1).toObject().value("title").toString(), QString());
    const QJsonObject holiday = list.at(2).toObject();
    QCOMPARE(holiday.value("title").toString(), QStringLiteral("Holiday"));
    QCOMPARE(holiday.value("allDay"), QJsonValue(true));
    // All-day events begin at local midnight, given in UTC like every other time.
    QCOMPARE(holiday.value("start").toString(), utcText(QDateTime(holidayDate, QTime(0, 0))));
}

void TestFrameModelCalendar::weeklyEventOnEachOfItsDays()
{
    writeCalendar(calendar(vevent("weekly", "DTSTART:20260105T100000Z\r\nDTEND:20260105T110000Z\r\n"
                                            "RRULE:FREQ=WEEKLY;BYDAY=MO,WE,FR\r\nSUMMARY:Gym\r\n")));
    const auto model = makeModel();
    model->eventStore().setAuthorization(CalendarStore::Authorization::FullAccess);

    const QDateTime now = QDateTime::currentDateTimeUtc();
    QStringList expected;
    for (int day = -1; day <= 8; ++day) {
        const QDate date = now.date().addDays(day);
        const QDateTime start(date, QTime(10, 0), QTimeZone::utc());
        const bool onItsDay = date.dayOfWeek() == 1 || date.dayOfWeek() == 3 || date.dayOfWeek() == 5;
        // Occurrences still running now count; the window ends seven days from now.
        if (onItsDay && start.addSecs(3600) > now && start < now.addDays(7))
            expected.append(utcText(start));
    }

    QStringList starts;
    for (const QJsonValue &entry : calendarOf(*model).value("events").toArray()) {
        QCOMPARE(entry.toObject().value("title").toString(), QStringLiteral("Gym"));
        starts.append(entry.toObject().value("start").toString());
    }
    QCOMPARE(starts, expected);
    QVERIFY(starts.size() >= 2);
}

void TestFrameModelCalendar::accessQuestionBumpsTheCounterAndRefreshes_data()
{
    QTest::addColumn<std::optional<bool>>("answer");
    QTest::addColumn<int>("access");

    QTest::newRow("allowed") << std::optional<bool>(true) << int(CalendarStore::Authorization::FullAccess);
    QTest::newRow("refused") << std::optional<bool>(false) << int(CalendarStore::Authorization::Denied);
    QTest::newRow("closed unanswered") << std::optional<bool>() << int(CalendarStore::Authorization::NotDetermined);
}

void TestFrameModelCalendar::accessQuestionBumpsTheCounterAndRefreshes()
{
    QFETCH(std::optional<bool>, answer);
    QFETCH(int, access);
    ConsentRecorder recorder(answer);
    const auto model = makeModel();
    model->eventStore().setConsentPresenter(&recorder);
    QSignalSpy counterChanged(model.get(), &FrameModel::calendarAccessChanged);
    QSignalSpy refreshRequested(model.get(), &FrameModel::refreshRequested);

    model->requestCalendarAccess();
    QVERIFY(RefreshSupport::waitFor([&] { return counterChanged.count() == 1; }, 5000));
    QCOMPARE(recorder.asked, 1);
    QCOMPARE(model->calendarAccessChanges(), 1);
    QCOMPARE(int(model->eventStore().authorization()), access);
    QCOMPARE(refreshRequested.count(), 1);
    QVERIFY(waitUntilIdle(*model));
    model->eventStore().setConsentPresenter(nullptr);
}

void TestFrameModelCalendar::calendarReadOnlyWhenAPageShowsIt_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<bool>("read");
    QTest::newRow("no calendar widget placed") << "today.date" << false;
    QTest::newRow("next events placed") << "calendar.next" << true;
}

void TestFrameModelCalendar::calendarReadOnlyWhenAPageShowsIt()
{
    QFETCH(QString, widget);
    QFETCH(bool, read);
    SubscriptionFetch::allowLoopbackHttpForTests(true);
    FakeHttpServer server;
    server.start();
    const QDateTime soon = QDateTime::currentDateTimeUtc().addSecs(3600);
    FakeHttpServer::Reply reply;
    reply.contentType = "text/calendar";
    reply.body = calendar(timedEvent("a", soon, "Dentist"));
    server.setReply("GET /private.ics", reply);
    writeSettings(QDir(m_dir->filePath(QStringLiteral("screens"))).path(),
                  {page("full", {widget.toUtf8().constData()})});
    const auto model = makeModel();
    model->eventStore().setAuthorization(CalendarStore::Authorization::FullAccess);
    QCoro::waitFor(model->eventStore().subscriptions().add(QStringLiteral("Private"),
                                                           server.baseUrl() + QStringLiteral("private.ics")));
    QVERIFY(waitUntilIdle(*model));
    server.clearRequests();

    model->refresh();
    QVERIFY(waitUntilIdle(*model));
    QCOMPARE(model->errorLine(), std::nullopt);
    QCOMPARE(server.requestsTo("GET /private.ics").isEmpty(), !read);
    const QJsonObject document = readObject(QDir(model->screensDir()).filePath(QStringLiteral("data.json")));
    QCOMPARE(document.value("calendar").toObject().value("events").toArray().size(), read ? 1 : 0);
    SubscriptionFetch::allowLoopbackHttpForTests(false);
}

int main(int argc, char *argv[])
{
    // The refreshes draw their pages with the stand-in page view.
    PageRenderer::prepareEnvironment(PageRenderer::Platform::AlwaysOffscreen);
    QApplication application(argc, argv);
    TestFrameModelCalendar test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestFrameModelCalendar.moc"
