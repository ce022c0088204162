// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarText.h"
#include "ConsentRecorder.h"
#include "RefreshSupport.h"
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "model/FrameModel.h"
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

using CalendarText::calendar;
using CalendarText::timedEvent;

} // namespace

// What the model adds to the calendar source (TestCalendarSource): the section goes into the
// refresh's document only when a page shows it, and an answer to the access question refreshes.
class TestFrameModelCalendar : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void accessQuestionBumpsTheCounterAndRefreshes();
    void calendarReadOnlyWhenAPageShowsIt_data();
    void calendarReadOnlyWhenAPageShowsIt();

private:
    std::unique_ptr<FrameModel> makeModel() const;

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
    QCOMPARE(model->calendarAccessChanges(), 1);
    QCOMPARE(refreshRequested.count(), 1);
    QVERIFY(waitUntilIdle(*model));
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
