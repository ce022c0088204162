// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Defaults.h"
#include "services/UpdateAlertPresenter.h"
#include "services/UpdateChecker.h"

#include <QSignalSpy>
#include <QTest>

#include "TestSupport.h"

using namespace std::chrono_literals;
using Reply = FakeHttpServer::Reply;

namespace {

const QByteArray feedRoute = "GET /latest.json";
const QString lastCheckKey = QStringLiteral("lastUpdateCheck");

Reply body(const QByteArray &content, int status = 200)
{
    Reply reply;
    reply.status = status;
    reply.body = content;
    return reply;
}

QByteArray feed(const QString &version, const QByteArray &extra = {})
{
    return R"({"version":")" + version.toUtf8() + R"(","url":"https://tessarine.app/download")" + extra + "}";
}

// A version far past the running one, and the running one with an extra ".0".
QString newerThanRunning()
{
    return QStringLiteral("999.0");
}

QString sameAsRunning()
{
    return UpdateChecker::currentVersion() + QStringLiteral(".0");
}

} // namespace

Q_DECLARE_METATYPE(FakeHttpServer::Reply)

// Records the alerts and answers each with the chosen button; stands in for the browser too.
class RecordingPresenter : public UpdateAlertPresenter
{
public:
    QList<UpdateAlert> alerts;
    QList<QUrl> opened;
    int answer = 0;

    QCoro::Task<int> present(UpdateAlert alert) override
    {
        alerts.append(alert);
        co_return answer;
    }

    void openDownload(const QUrl &url) override { opened.append(url); }
};

class TestUpdateChecker : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void isNewer_data();
    void isNewer();
    void announcedUpToDate();
    void announcedNewerRelease_data();
    void announcedNewerRelease();
    void feedWithoutNotes();
    void unusableFeed_data();
    void unusableFeed();
    void httpStatusIsIgnored();
    void secondCheckWhileOneRuns();
    void checkInBackgroundRateLimit_data();
    void checkInBackgroundRateLimit();

private:
    void waitUntilIdle(UpdateChecker &checker);

    std::unique_ptr<FakeHttpServer> m_server;
    QUrl m_feed;
    std::shared_ptr<RecordingPresenter> m_presenter;
};

void TestUpdateChecker::init()
{
    m_server = std::make_unique<FakeHttpServer>();
    m_feed = QUrl(m_server->start() + QStringLiteral("latest.json"));
    m_presenter = std::make_shared<RecordingPresenter>();
    Defaults::remove(lastCheckKey);
}

void TestUpdateChecker::cleanup()
{
    m_server.reset();
}

void TestUpdateChecker::waitUntilIdle(UpdateChecker &checker)
{
    QSignalSpy changes(&checker, &UpdateChecker::isCheckingChanged);
    if (checker.isChecking())
        QVERIFY(changes.wait());
    QVERIFY(!checker.isChecking());
}

void TestUpdateChecker::isNewer_data()
{
    QTest::addColumn<QString>("version");
    QTest::addColumn<QString>("other");
    QTest::addColumn<bool>("newer");

    QTest::newRow("1.2 against 1.2.0") << "1.2"
                                       << "1.2.0" << false;
    QTest::newRow("1.2.0 against 1.2") << "1.2.0"
                                       << "1.2" << false;
    QTest::newRow("1.10.0 against 1.9.9") << "1.10.0"
                                          << "1.9.9" << true;
    QTest::newRow("1.9.9 against 1.10.0") << "1.9.9"
                                          << "1.10.0" << false;
    QTest::newRow("1.2.1 against 1.2") << "1.2.1"
                                       << "1.2" << true;
    QTest::newRow("beta part counts as 0") << "1.2-beta"
                                           << "1.0" << false;
    QTest::newRow("beta part against 0.9") << "1.2-beta"
                                           << "0.9" << true;
    QTest::newRow("empty parts dropped") << "1..3"
                                         << "1.3" << false;
    QTest::newRow("empty against 0") << ""
                                     << "0" << false;
    QTest::newRow("2 against 1.99") << "2"
                                    << "1.99" << true;
    QTest::newRow("too large a part counts as 0") << "99999999999999999999999"
                                                  << "1" << false;
}

void TestUpdateChecker::isNewer()
{
    QFETCH(QString, version);
    QFETCH(QString, other);
    QFETCH(bool, newer);
    QCOMPARE(UpdateChecker::isNewer(version, other), newer);
}

void TestUpdateChecker::announcedUpToDate()
{
    m_server->setReply(feedRoute, body(feed(sameAsRunning())));
    UpdateChecker checker(m_feed);
    checker.setPresenter(m_presenter);
    QSignalSpy checking(&checker, &UpdateChecker::isCheckingChanged);

    QCoro::waitFor(checker.check(true));

    QVERIFY(!checker.available());
    QCOMPARE(m_presenter->alerts.size(), 1);
    QCOMPARE(m_presenter->alerts[0],
             (UpdateAlert{QStringLiteral("Tessarine is up to date"),
                          QStringLiteral("You have the latest version, ") + UpdateChecker::currentVersion() + ".",
                          {}}));
    QCOMPARE(checking.size(), 2);
    QCOMPARE(checking[0][0].toBool(), true);
    QCOMPARE(checking[1][0].toBool(), false);

    const auto requests = m_server->requestsTo(feedRoute);
    QCOMPARE(requests.size(), 1);
    QCOMPARE(requests[0].headers.value("user-agent"), "Tessarine/" + UpdateChecker::currentVersion().toUtf8());
    const QDateTime stored =
        QDateTime::fromString(Defaults::stringValue(lastCheckKey).value_or(QString()), Qt::ISODateWithMs);
    QVERIFY(stored.isValid());
    QVERIFY(stored.secsTo(QDateTime::currentDateTimeUtc()) < 3600);
}

void TestUpdateChecker::announcedNewerRelease_data()
{
    QTest::addColumn<int>("answer");
    QTest::addColumn<bool>("opened");

    QTest::newRow("Download") << 0 << true;
    QTest::newRow("Later") << 1 << false;
}

void TestUpdateChecker::announcedNewerRelease()
{
    QFETCH(int, answer);
    QFETCH(bool, opened);

    m_server->setReply(feedRoute, body(TestSupport::fixture(QStringLiteral("services/latest.json"))));
    m_presenter->answer = answer;
    UpdateChecker checker(m_feed);
    checker.setPresenter(m_presenter);
    QSignalSpy availability(&checker, &UpdateChecker::availableChanged);

    QCoro::waitFor(checker.check(true));

    QVERIFY(checker.available());
    QCOMPARE(checker.available()->version, QStringLiteral("999.1.0"));
    QCOMPARE(availability.size(), 1);
    QCOMPARE(m_presenter->alerts.size(), 1);
    const UpdateAlert &alert = m_presenter->alerts[0];
    QCOMPARE(alert.text, QStringLiteral("Tessarine 999.1.0 is available"));
    QCOMPARE(alert.informativeText, QStringLiteral("Calendar pages show all-day events first.\n\nYou have ") +
                                        UpdateChecker::currentVersion() +
                                        QStringLiteral(". Download the new version, quit Tessarine, and install it."));
    QCOMPARE(alert.buttons, (QStringList{QStringLiteral("Download"), QStringLiteral("Later")}));
    const QList<QUrl> expected = {QUrl(QStringLiteral("https://tessarine.app/download/Tessarine-999.1.0.tar.gz"))};
    QCOMPARE(m_presenter->opened, opened ? expected : QList<QUrl>());
}

void TestUpdateChecker::feedWithoutNotes()
{
    m_server->setReply(feedRoute, body(feed(newerThanRunning())));
    UpdateChecker checker(m_feed);
    checker.setPresenter(m_presenter);
    m_presenter->answer = 1;
    QCoro::waitFor(checker.check(true));
    QCOMPARE(m_presenter->alerts.size(), 1);
    QVERIFY(m_presenter->alerts[0].informativeText.startsWith(QStringLiteral("You have ")));
    QCOMPARE(checker.available()->notes, std::nullopt);
}

void TestUpdateChecker::unusableFeed_data()
{
    QTest::addColumn<Reply>("reply");
    QTest::addColumn<bool>("reachable");

    QTest::newRow("not JSON") << body("<html>maintenance</html>") << true;
    QTest::newRow("empty") << body(QByteArray()) << true;
    QTest::newRow("array") << body("[]") << true;
    QTest::newRow("no url") << body(R"({"version":"999.0"})") << true;
    QTest::newRow("version a number") << body(R"({"version":999,"url":"https://tessarine.app/d"})") << true;
    QTest::newRow("url not a web address") << body(R"({"version":"999.0","url":"file:///usr/bin/true"})") << true;
    QTest::newRow("notes a number") << body(feed(QStringLiteral("999.0"), R"(,"notes":5)")) << true;
    QTest::newRow("server unreachable") << body(QByteArray()) << false;
    QTest::newRow("url over http") << body(R"({"version":"999.0","url":"http://tessarine.app/d"})") << true;
    QTest::newRow("version with markup") << body(feed(QStringLiteral("<b>999</b>"))) << true;
    QTest::newRow("version with a control character") << body(feed(QStringLiteral("999.0\\u0007"))) << true;
    QTest::newRow("version of a page") << body(feed(QString(5000, QLatin1Char('9')))) << true;
    QTest::newRow("feed far too large")
        << body(feed(QStringLiteral("999.0"), ",\"notes\":\"" + QByteArray(UpdateChecker::maxFeedBytes + 1, 'n') + '"'))
        << true;
}

void TestUpdateChecker::unusableFeed()
{
    QFETCH(Reply, reply);
    QFETCH(bool, reachable);

    // A release found earlier survives a failed check.
    m_server->setReply(feedRoute, body(feed(newerThanRunning())));
    UpdateChecker checker(m_feed);
    checker.setPresenter(m_presenter);
    QCoro::waitFor(checker.check(false));
    QVERIFY(checker.available());
    Defaults::setValue(lastCheckKey, QStringLiteral("2001-01-01T00:00:00.000Z"));

    m_server->setReply(feedRoute, reply);
    if (!reachable)
        m_server->close();
    QCoro::waitFor(checker.check(false));
    QVERIFY(m_presenter->alerts.isEmpty()); // quiet checks show nothing

    QCoro::waitFor(checker.check(true));
    QCOMPARE(m_presenter->alerts.size(), 1);
    QCOMPARE(m_presenter->alerts[0],
             (UpdateAlert{QStringLiteral("Couldn’t check for updates"),
                          QStringLiteral("Tessarine couldn’t reach 127.0.0.1. Check your connection and try again."),
                          {}}));
    QCOMPARE(checker.available()->version, newerThanRunning());
    QCOMPARE(Defaults::stringValue(lastCheckKey), std::optional(QStringLiteral("2001-01-01T00:00:00.000Z")));
    QVERIFY(!checker.isChecking());
}

void TestUpdateChecker::httpStatusIsIgnored()
{
    m_server->setReply(feedRoute, body(feed(newerThanRunning()), 404));
    UpdateChecker checker(m_feed);
    QCoro::waitFor(checker.check(false));
    QVERIFY(checker.available());
}

void TestUpdateChecker::secondCheckWhileOneRuns()
{
    Reply slow = body(feed(sameAsRunning()));
    slow.delayMs = 200;
    m_server->setReply(feedRoute, slow);
    UpdateChecker checker(m_feed);
    checker.setPresenter(m_presenter);

    QCoro::Task<> first = checker.check(true);
    QVERIFY(checker.isChecking());
    QCoro::Task<> second = checker.check(true);
    QVERIFY(second.isReady()); // returned at once
    QCoro::waitFor(first);

    QCOMPARE(m_server->requestsTo(feedRoute).size(), 1);
    QCOMPARE(m_presenter->alerts.size(), 1);
    QVERIFY(!checker.isChecking());
}

void TestUpdateChecker::checkInBackgroundRateLimit_data()
{
    QTest::addColumn<QString>("lastCheck"); // empty: never checked
    QTest::addColumn<bool>("checks");

    const QDateTime now = QDateTime::currentDateTimeUtc();
    QTest::newRow("19 hours ago") << now.addSecs(-19 * 3600).toString(Qt::ISODateWithMs) << false;
    QTest::newRow("21 hours ago") << now.addSecs(-21 * 3600).toString(Qt::ISODateWithMs) << true;
    QTest::newRow("never") << QString() << true;
    QTest::newRow("not a date") << QStringLiteral("yesterday") << true;
}

void TestUpdateChecker::checkInBackgroundRateLimit()
{
    QFETCH(QString, lastCheck);
    QFETCH(bool, checks);

    if (!lastCheck.isEmpty())
        Defaults::setValue(lastCheckKey, lastCheck);
    m_server->setReply(feedRoute, body(feed(newerThanRunning())));
    UpdateChecker checker(m_feed);
    checker.setPresenter(m_presenter);

    checker.checkInBackground();
    QCOMPARE(checker.isChecking(), checks);
    waitUntilIdle(checker);

    QCOMPARE(m_server->requestsTo(feedRoute).size(), checks ? 1 : 0);
    QCOMPARE(checker.hasAvailable(), checks);
    QVERIFY(m_presenter->alerts.isEmpty());
    if (checks)
        QVERIFY(Defaults::stringValue(lastCheckKey) != std::optional(lastCheck));
}

QTEST_MAIN(TestUpdateChecker)
#include "TestUpdateChecker.moc"
