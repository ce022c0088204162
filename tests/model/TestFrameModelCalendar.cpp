// SPDX-License-Identifier: GPL-3.0-or-later
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

    void withoutAccessTheSectionIsEmpty();
    void accessQuestionBumpsTheCounterAndRefreshes();
    void calendarReadOnlyWhenAPageShowsIt_data();
    void calendarReadOnlyWhenAPageShowsIt();

private:
    std::unique_ptr<FrameModel> makeModel() const;
    void writeCalendar(const QByteArray &text) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFrameModelCalendar::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(startRefreshCase(*m_dir));
    QDir(CalendarStore::tessarineCalendarsDir()).removeRecursively();
}

void TestFrameModelCalendar::cleanup()
{
    m_dir.reset();
}

std::unique_ptr<FrameModel> TestFrameModelCalendar::makeModel() const
{
    return std::make_unique<FrameModel>(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
}

void TestFrameModelCalendar::writeCalendar(const QByteArray &text) const
{
    QDir().mkpath(CalendarStore::tessarineCalendarsDir());
    QVERIFY(TestSupport::writeFile(CalendarStore::tessarineCalendarsDir() + QStringLiteral("/test.ics"), text));
}

// The calendar source's own suite covers the section; here the refresh hands it to the document
// when the calendar widget is placed (the catalogue's second page holds it).
void TestFrameModelCalendar::withoutAccessTheSectionIsEmpty()
{
    writeCalendar(calendar(timedEvent("a", QDateTime::currentDateTimeUtc().addSecs(3600), "Stand-up")));
    const auto model = makeModel();
    model->eventStore().setAuthorization(CalendarStore::Authorization::Denied);

    const QJsonObject empty{{"status", "noAccess"}, {"events", QJsonArray()}};
    model->refresh();
    QVERIFY(waitUntilIdle(*model));
    QCOMPARE(model->errorLine(), std::nullopt);
    const QJsonObject document = readObject(QDir(model->screensDir()).filePath(QStringLiteral("data.json")));
    QCOMPARE(document.value("calendar").toObject(), empty);
}

// Whatever the answer (the calendar source's suite goes through each), the model counts it and
// refreshes.
void TestFrameModelCalendar::accessQuestionBumpsTheCounterAndRefreshes()
{
    ConsentRecorder recorder(false);
    const auto model = makeModel();
    model->eventStore().setConsentPresenter(&recorder);
    QSignalSpy counterChanged(model.get(), &FrameModel::calendarAccessChanged);
    QSignalSpy refreshRequested(model.get(), &FrameModel::refreshRequested);

    model->requestCalendarAccess();
    QVERIFY(RefreshSupport::waitFor([&] { return counterChanged.count() == 1; }, 5000));
    QCOMPARE(recorder.asked, 1);
    QCOMPARE(model->calendarAccessChanges(), 1);
    QCOMPARE(model->eventStore().authorization(), CalendarStore::Authorization::Denied);
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
