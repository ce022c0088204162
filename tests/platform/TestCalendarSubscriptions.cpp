// SPDX-License-Identifier: GPL-3.0-or-later
#include "CalendarText.h"
#include "TestSupport.h"

#include "kit/Problem.h"
#include "platform/CalendarStore.h"
#include "platform/CalendarSubscriptions.h"
#include "platform/Defaults.h"
#include "platform/InMemoryCredentialStore.h"
#include "platform/SubscriptionFetch.h"

#include <QCoroTask>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <memory>

namespace {

using Reply = FakeHttpServer::Reply;

using CalendarText::stamp;

QByteArray calendarWith(const QByteArray &uid, const QByteArray &title, const QDateTime &start)
{
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Tessarine tests//EN\r\nBEGIN:VEVENT\r\nUID:" + uid +
           "\r\nSUMMARY:" + title + "\r\nDTSTART:" + stamp(start) + "\r\nDTEND:" + stamp(start.addSecs(3600)) +
           "\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
}

Reply calendarReply(const QByteArray &body, const QByteArray &etag = {})
{
    Reply reply;
    reply.body = body;
    reply.contentType = "text/calendar";
    if (!etag.isEmpty())
        reply.headers = {{"ETag", etag}, {"Last-Modified", "Mon, 02 Mar 2026 08:00:00 GMT"}};
    return reply;
}

Reply status(int code, const QByteArray &body = {})
{
    Reply reply;
    reply.status = code;
    reply.body = body;
    reply.contentType = "text/html";
    return reply;
}

Reply redirect(const QByteArray &location)
{
    Reply reply = status(302);
    reply.headers = {{"Location", location}};
    return reply;
}

QStringList titlesOf(const QList<CalendarEvent> &events)
{
    QStringList titles;
    for (const CalendarEvent &event : events)
        titles.append(event.title.value_or(QString()));
    return titles;
}

QString iniText()
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tessarine"),
                       QStringLiteral("Tessarine"));
    settings.sync();
    return QString::fromUtf8(TestSupport::readFile(settings.fileName()));
}

// Every file under the folder, read whole.
QByteArray everythingUnder(const QString &folder)
{
    QByteArray all;
    for (const QFileInfo &file : QDir(folder).entryInfoList(QDir::Files))
        all += TestSupport::readFile(file.filePath());
    return all;
}

// QCoro::waitFor never returns when the awaited task throws, so adding is awaited through this:
// the message of the Problem thrown, empty when the subscription was added.
QCoro::Task<QString> problemOf(QCoro::Task<QString> adding)
{
    try {
        co_await std::move(adding);
    } catch (const Problem &error) {
        co_return error.message();
    }
    co_return QString();
}

} // namespace

// Subscriptions by address against a loopback server: every answer a server may give, what is
// kept of it, and where the address goes (the keyring only).
class TestCalendarSubscriptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void addressesAreHttpsOrWebcal_data();
    void addressesAreHttpsOrWebcal();
    void addKeepsTheAddressInTheKeyringOnly();
    void addWithoutKeyringAddsNothing();
    void goodCalendarThenNotModified();
    void failuresKeepTheLastGoodCopy_data();
    void failuresKeepTheLastGoodCopy();
    void failingSinceStaysAtTheFirstFailure();
    void redirectsToHttpsAreFollowed();
    void linksAtTheCacheAreReplacedNotFollowed();
    void subscriptionsAreFetchedSideBySide();
    void switchedOffAndRemovedSubscriptionsAreNotFetched();
    void nothingIsFetchedWithoutConsent();
    void eventsMergeWithFilesOnce();

private:
    QString addSubscription(const QByteArray &path, const QString &name = QStringLiteral("Work"));
    QString url(const QByteArray &path) const;

    std::shared_ptr<InMemoryCredentialStore> m_keyring;
    std::unique_ptr<CalendarStore> m_store;
    std::unique_ptr<FakeHttpServer> m_server;
    QDateTime m_now;
};

void TestCalendarSubscriptions::initTestCase()
{
    SubscriptionFetch::allowLoopbackHttpForTests(true);
}

void TestCalendarSubscriptions::init()
{
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Tessarine"), QStringLiteral("Tessarine"))
        .clear();
    QDir(CalendarSubscriptions::cacheDir()).removeRecursively();
    QDir(CalendarStore::tessarineCalendarsDir()).removeRecursively();
    Defaults::setValue(CalendarStore::accessKey, QStringLiteral("fullAccess"));
    m_keyring = std::make_shared<InMemoryCredentialStore>();
    m_keyring->setAnswersLater(true);
    m_store = std::make_unique<CalendarStore>(m_keyring, nullptr);
    m_store->subscriptions().setLimits({std::chrono::milliseconds(2000), 4096});
    m_server = std::make_unique<FakeHttpServer>();
    m_server->start();
    m_now = QDateTime::currentDateTimeUtc();
}

void TestCalendarSubscriptions::cleanup()
{
    m_store.reset();
    m_server.reset();
}

QString TestCalendarSubscriptions::url(const QByteArray &path) const
{
    return m_server->baseUrl() + QString::fromLatin1(path);
}

QString TestCalendarSubscriptions::addSubscription(const QByteArray &path, const QString &name)
{
    return QCoro::waitFor(m_store->subscriptions().add(name, url(path)));
}

void TestCalendarSubscriptions::addressesAreHttpsOrWebcal_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("fetched");
    QTest::newRow("https") << "https://cal.example.org/u/private-abc/basic.ics"
                           << "https://cal.example.org/u/private-abc/basic.ics";
    QTest::newRow("webcal is https") << " webcal://cal.example.org/feed.ics "
                                     << "https://cal.example.org/feed.ics";
    QTest::newRow("WEBCAL in capitals") << "WEBCAL://cal.example.org/feed.ics"
                                        << "https://cal.example.org/feed.ics";
    QTest::newRow("plain http elsewhere") << "http://cal.example.org/feed.ics" << QString();
    QTest::newRow("http to localhost by name") << "http://localhost/feed.ics" << QString();
    QTest::newRow("a file") << "file:///etc/passwd" << QString();
    QTest::newRow("no host") << "https:///feed.ics" << QString();
    QTest::newRow("not an address") << "my calendar" << QString();
}

void TestCalendarSubscriptions::addressesAreHttpsOrWebcal()
{
    QFETCH(QString, typed);
    QFETCH(QString, fetched);
    const std::optional<QUrl> address = SubscriptionFetch::normalisedAddress(typed);
    QCOMPARE(address.has_value(), !fetched.isEmpty());
    if (address)
        QCOMPARE(address->toString(), fetched);
    else
        QVERIFY(QCoro::waitFor(problemOf(m_store->subscriptions().add(QString(), typed))).contains("https://"));
}

void TestCalendarSubscriptions::addKeepsTheAddressInTheKeyringOnly()
{
    QSignalSpy changed(&m_store->subscriptions(), &CalendarSubscriptions::listChanged);
    m_server->setReply("GET /private-8f2a/basic.ics", calendarReply(calendarWith("a@x", "Budget", m_now.addDays(1))));
    const QString id = addSubscription("private-8f2a/basic.ics", QStringLiteral("  Team   rota "));
    const QString unnamed = addSubscription("private-8f2a/basic.ics", QString());

    const QList<CalendarSubscription> list = CalendarSubscriptions(m_keyring).list();
    QCOMPARE(list.size(), 2);
    QCOMPARE(list[0].id, id);
    QCOMPARE(list[0].name, QStringLiteral("Team rota"));
    QVERIFY(list[0].enabled);
    QCOMPARE(list[1].name, QStringLiteral("127.0.0.1"));
    QCOMPARE(changed.size(), 2);
    QCOMPARE(m_keyring->secret(CalendarSubscriptions::keyringService, id), url("private-8f2a/basic.ics").toUtf8());
    QVERIFY(m_keyring->contains(CalendarSubscriptions::keyringService, unnamed));

    QCoro::waitFor(m_store->subscriptions().fetchAll());
    // Neither the defaults file nor anything kept in the cache names the address.
    QVERIFY(!iniText().contains(QStringLiteral("private-8f2a")));
    QVERIFY(!iniText().contains(QString::number(m_server->serverPort())));
    const QByteArray cached = everythingUnder(CalendarSubscriptions::cacheDir());
    QVERIFY(cached.contains("Budget"));
    QVERIFY(!cached.contains("private-8f2a"));
    QCOMPARE(QFile(CalendarSubscriptions::cachedCopy(id)).permissions() & (QFile::ReadOther | QFile::ReadGroup),
             QFileDevice::Permissions());

    m_store->subscriptions().rename(id, QStringLiteral("Rota"));
    m_store->subscriptions().rename(id, QStringLiteral("   "));
    QCOMPARE(m_store->subscriptions().list().first().name, QStringLiteral("Rota"));
}

void TestCalendarSubscriptions::addWithoutKeyringAddsNothing()
{
    m_keyring->setReachable(false);
    const QString problem =
        QCoro::waitFor(problemOf(m_store->subscriptions().add(QStringLiteral("Work"), url("cal.ics"))));
    QVERIFY(problem.contains(QStringLiteral("keyring")));
    QVERIFY(!problem.contains(QString::number(m_server->serverPort())));
    QVERIFY(m_store->subscriptions().list().isEmpty());
    QVERIFY(!Defaults::contains(CalendarSubscriptions::listKey));
}

void TestCalendarSubscriptions::goodCalendarThenNotModified()
{
    m_server->setReplies("GET /cal.ics",
                         {calendarReply(calendarWith("a@x", "Standup", m_now.addSecs(7200)), "\"v1\""), status(304)});
    const QString id = addSubscription("cal.ics");

    QCOMPARE(titlesOf(QCoro::waitFor(m_store->events(m_now, m_now.addDays(7)))), QStringList{"Standup"});
    const CalendarSubscriptionState first = m_store->subscriptions().state(id);
    QVERIFY(!first.failing());
    QVERIFY(first.fetchedAt.isValid());
    QCOMPARE(first.etag, QByteArray("\"v1\""));
    QVERIFY(!m_server->requestsTo("GET /cal.ics").first().headers.contains("if-none-match"));

    // The second request is conditional and the 304 keeps the copy.
    QCOMPARE(titlesOf(QCoro::waitFor(m_store->events(m_now, m_now.addDays(7)))), QStringList{"Standup"});
    const FakeHttpServer::Request second = m_server->requestsTo("GET /cal.ics").last();
    QCOMPARE(second.headers.value("if-none-match"), QByteArray("\"v1\""));
    QCOMPARE(second.headers.value("if-modified-since"), QByteArray("Mon, 02 Mar 2026 08:00:00 GMT"));
    const CalendarSubscriptionState after = m_store->subscriptions().state(id);
    QVERIFY(!after.failing());
    QCOMPARE(after.etag, first.etag);
    QVERIFY(after.fetchedAt >= first.fetchedAt);
}

void TestCalendarSubscriptions::failuresKeepTheLastGoodCopy_data()
{
    QTest::addColumn<Reply>("failure");
    QTest::addColumn<QString>("problem");

    QTest::newRow("404") << status(404, "<html>gone</html>") << "HTTP 404";
    QTest::newRow("500") << status(500) << "HTTP 500";
    Reply slow = calendarReply(calendarWith("late@x", "Late", QDateTime::currentDateTimeUtc().addDays(1)));
    slow.delayMs = 6000;
    QTest::newRow("time-out") << slow << "did not answer within 2 seconds";
    QTest::newRow("oversize") << calendarReply("BEGIN:VCALENDAR\r\nX-PAD:" + QByteArray(8000, 'x') +
                                               "\r\nEND:VCALENDAR\r\n")
                              << "larger than";
    QTest::newRow("redirect to http") << redirect("http://localhost:1/elsewhere.ics") << "not https";
    QTest::newRow("not iCalendar") << calendarReply("<!doctype html><p>Sign in</p>") << "not a calendar";
    QTest::newRow("redirect loop") << redirect("/private-77/cal.ics") << "redirected too many times";
}

void TestCalendarSubscriptions::failuresKeepTheLastGoodCopy()
{
    QFETCH(Reply, failure);
    QFETCH(QString, problem);
    m_server->setReplies("GET /private-77/cal.ics",
                         {calendarReply(calendarWith("a@x", "Dentist", m_now.addDays(2)), "\"v1\""), failure});
    const QString id = addSubscription("private-77/cal.ics", QStringLiteral("Family"));
    QCOMPARE(titlesOf(QCoro::waitFor(m_store->events(m_now, m_now.addDays(7)))), QStringList{"Dentist"});

    // The failing fetch does not fail the read: the last good copy is used.
    QCOMPARE(titlesOf(QCoro::waitFor(m_store->events(m_now, m_now.addDays(7)))), QStringList{"Dentist"});
    const CalendarSubscriptionState state = m_store->subscriptions().state(id);
    QVERIFY(state.failing());
    QVERIFY2(state.problem.contains(problem), qPrintable(state.problem));
    QVERIFY(!state.problem.contains(QStringLiteral("127.0.0.1")));
    QVERIFY(!state.problem.contains(QStringLiteral("private-77")));
    QVERIFY(m_server->requestsTo("GET /elsewhere.ics").isEmpty());
    QVERIFY(TestSupport::readFile(CalendarSubscriptions::cachedCopy(id)).contains("Dentist"));
}

void TestCalendarSubscriptions::failingSinceStaysAtTheFirstFailure()
{
    m_server->setReplies("GET /cal.ics",
                         {status(404), status(403), calendarReply(calendarWith("a@x", "Back", m_now.addDays(1)))});
    const QString id = addSubscription("cal.ics");
    QDateTime clock = m_now;
    m_store->subscriptions().setClock([&clock] { return clock; });

    QVERIFY(QCoro::waitFor(m_store->events(m_now, m_now.addDays(7))).isEmpty());
    const CalendarSubscriptionState first = m_store->subscriptions().state(id);
    QVERIFY(first.failing());
    QVERIFY(!QFile::exists(CalendarSubscriptions::cachedCopy(id)));
    clock = clock.addSecs(60);
    QCoro::waitFor(m_store->events(m_now, m_now.addDays(7)));
    const CalendarSubscriptionState second = m_store->subscriptions().state(id);
    QCOMPARE(second.failingSince, first.failingSince);
    QVERIFY(second.problem.contains(QStringLiteral("403")));

    QCOMPARE(titlesOf(QCoro::waitFor(m_store->events(m_now, m_now.addDays(7)))), QStringList{"Back"});
    QVERIFY(!m_store->subscriptions().state(id).failing());
    QVERIFY(m_store->subscriptions().state(id).problem.isEmpty());
}

// Links planted at the cache folder and at a cached copy's name are replaced: what they point at
// keeps its content and its mode, and the copy lands in the real, private cache.
void TestCalendarSubscriptions::linksAtTheCacheAreReplacedNotFollowed()
{
    m_server->setReply("GET /cal.ics", calendarReply(calendarWith("a@x", "Standup", m_now.addSecs(7200))));
    const QString id = addSubscription("cal.ics");
    const QString elsewhere = QDir::homePath() + QStringLiteral("/elsewhere");
    QVERIFY(QDir().mkpath(elsewhere));
    QVERIFY(TestSupport::writeFile(elsewhere + QStringLiteral("/target.txt"), "mine"));
    QVERIFY(QFile::setPermissions(elsewhere, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                                 QFileDevice::ReadOther | QFileDevice::ExeOther));
    const QFileDevice::Permissions before = QFile::permissions(elsewhere);
    QDir(CalendarSubscriptions::cacheDir()).removeRecursively();
    QVERIFY(QDir().mkpath(QFileInfo(CalendarSubscriptions::cacheDir()).path()));
    QVERIFY(QFile::link(elsewhere, CalendarSubscriptions::cacheDir()));

    QCOMPARE(titlesOf(QCoro::waitFor(m_store->events(m_now, m_now.addDays(7)))), QStringList{"Standup"});
    QVERIFY(!QFileInfo(CalendarSubscriptions::cacheDir()).isSymLink());
    QCOMPARE(QDir(elsewhere).entryList(QDir::Files), QStringList{"target.txt"});
    QCOMPARE(QFile::permissions(elsewhere), before);

    QVERIFY(QFile::remove(CalendarSubscriptions::cachedCopy(id)));
    QVERIFY(QFile::link(elsewhere + QStringLiteral("/target.txt"), CalendarSubscriptions::cachedCopy(id)));
    QCOMPARE(titlesOf(QCoro::waitFor(m_store->events(m_now, m_now.addDays(7)))), QStringList{"Standup"});
    QCOMPARE(TestSupport::readFile(elsewhere + QStringLiteral("/target.txt")), QByteArray("mine"));
    QVERIFY(!QFileInfo(CalendarSubscriptions::cachedCopy(id)).isSymLink());
}

void TestCalendarSubscriptions::redirectsToHttpsAreFollowed()
{
    // Loopback http stands in for https here (the one address tests may fetch over plain http).
    m_server->setReply("GET /old.ics", redirect(url("new.ics").toLatin1()));
    m_server->setReply("GET /new.ics", calendarReply(calendarWith("m@x", "Moved", m_now.addDays(3))));
    addSubscription("old.ics");
    QCOMPARE(titlesOf(QCoro::waitFor(m_store->events(m_now, m_now.addDays(7)))), QStringList{"Moved"});
    QCOMPARE(m_server->requestsTo("GET /new.ics").size(), 1);
}

void TestCalendarSubscriptions::subscriptionsAreFetchedSideBySide()
{
    Reply slow = calendarReply(calendarWith("s@x", "Slow", m_now.addDays(1)));
    slow.delayMs = 6000;
    m_server->setReply("GET /slow.ics", slow);
    const QString slowId = addSubscription("slow.ics", QStringLiteral("Slow"));
    addSubscription("fast.ics", QStringLiteral("Fast"));
    // Fetched one after another, the second would be asked only after the first had timed out.
    bool firstHadFailedAlready = true;
    m_server->setHandler("GET /fast.ics", [&](const FakeHttpServer::Request &) {
        firstHadFailedAlready = m_store->subscriptions().state(slowId).failing();
        return calendarReply(calendarWith("f@x", "Fast", m_now.addDays(2)));
    });
    QCOMPARE(titlesOf(QCoro::waitFor(m_store->events(m_now, m_now.addDays(7)))), QStringList{"Fast"});
    QVERIFY(!firstHadFailedAlready);
    QVERIFY(m_store->subscriptions().state(slowId).failing());
}

void TestCalendarSubscriptions::switchedOffAndRemovedSubscriptionsAreNotFetched()
{
    m_server->setReply("GET /a.ics", calendarReply(calendarWith("a@x", "A", m_now.addDays(1))));
    m_server->setReply("GET /b.ics", calendarReply(calendarWith("b@x", "B", m_now.addDays(2))));
    const QString a = addSubscription("a.ics", QStringLiteral("A"));
    const QString b = addSubscription("b.ics", QStringLiteral("B"));
    QCOMPARE(titlesOf(QCoro::waitFor(m_store->events(m_now, m_now.addDays(7)))), (QStringList{"A", "B"}));

    m_store->subscriptions().setEnabled(a, false);
    m_server->clearRequests();
    QCOMPARE(titlesOf(QCoro::waitFor(m_store->events(m_now, m_now.addDays(7)))), QStringList{"B"});
    QVERIFY(m_server->requestsTo("GET /a.ics").isEmpty());

    QCoro::waitFor(m_store->subscriptions().remove(b));
    QVERIFY(!m_keyring->contains(CalendarSubscriptions::keyringService, b));
    QVERIFY(!QFile::exists(CalendarSubscriptions::cachedCopy(b)));
    QCOMPARE(m_store->subscriptions().list().size(), 1);
    QVERIFY(QCoro::waitFor(m_store->events(m_now, m_now.addDays(7))).isEmpty());
    QVERIFY(m_server->requestsTo("GET /b.ics").size() == 1);
}

void TestCalendarSubscriptions::nothingIsFetchedWithoutConsent()
{
    m_server->setReply("GET /a.ics", calendarReply(calendarWith("a@x", "A", m_now.addDays(1))));
    addSubscription("a.ics");
    for (const auto refusal : {CalendarStore::Authorization::NotDetermined, CalendarStore::Authorization::Denied}) {
        m_store->setAuthorization(refusal);
        QVERIFY(QCoro::waitFor(m_store->events(m_now, m_now.addDays(7))).isEmpty());
    }
    QVERIFY(m_server->requests().isEmpty());
    QVERIFY(!QDir(CalendarSubscriptions::cacheDir()).exists());
}

void TestCalendarSubscriptions::eventsMergeWithFilesOnce()
{
    const QDateTime start = m_now.addDays(1);
    // The same event (UID and start) in a file and in a subscription shows once; a different
    // occurrence of the same UID, and an event without UID, are kept.
    QVERIFY(TestSupport::writeFile(CalendarStore::tessarineCalendarsDir() + QStringLiteral("/mine.ics"),
                                   calendarWith("shared@x", "Shared", start)));
    const QByteArray more = "BEGIN:VEVENT\r\nUID:shared@x\r\nRECURRENCE-ID:" + stamp(start.addDays(2)) +
                            "\r\nSUMMARY:Shared later\r\nDTSTART:" + stamp(start.addDays(2)) +
                            "\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nSUMMARY:No uid\r\nDTSTART:" + stamp(start) +
                            "\r\nEND:VEVENT\r\nEND:VCALENDAR";
    QByteArray both = calendarWith("shared@x", "Shared", start);
    both.replace("END:VCALENDAR", more);
    m_server->setReply("GET /a.ics", calendarReply(both));
    addSubscription("a.ics");
    QCOMPARE(titlesOf(QCoro::waitFor(m_store->events(m_now, m_now.addDays(7)))),
             (QStringList{"Shared", "No uid", "Shared later"}));
}

QTEST_GUILESS_MAIN(TestCalendarSubscriptions)
#include "TestCalendarSubscriptions.moc"
