// SPDX-License-Identifier: GPL-3.0-or-later
#include "Outcome.h"
#include "TestSupport.h"
#include "data/DataCollector.h"
#include "data/GitHubSource.h"
#include "data/GitHubSummary.h"
#include "platform/GuardedRequest.h"

#include <QCoro/QCoroTask>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QTimer>
#include <memory>

using namespace std::chrono_literals;

namespace {

const QDateTime now = QDateTime::fromString(QStringLiteral("2026-03-01T09:15:42.120Z"), Qt::ISODateWithMs);

// Answers every request with a JSON body sent a few bytes at a time, each after a pause: never
// silent for long, so only an overall deadline ends the wait.
class TricklingServer : public QTcpServer
{
public:
    QString start()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection())
                connect(socket, &QTcpSocket::readyRead, socket, [socket] { answer(socket); });
        });
        listen(QHostAddress::LocalHost, 0);
        return QStringLiteral("http://127.0.0.1:%1/").arg(serverPort());
    }

private:
    static void answer(QTcpSocket *socket)
    {
        if (socket->property("answered").toBool())
            return;
        socket->setProperty("answered", true);
        const QByteArray body = QByteArray(40, ' ') + "{}";
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: " +
                      QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n");
        auto *timer = new QTimer(socket);
        auto sent = std::make_shared<qsizetype>(0);
        QObject::connect(timer, &QTimer::timeout, socket, [socket, timer, body, sent] {
            socket->write(body.mid(*sent, 1));
            if (++*sent == body.size())
                timer->stop();
        });
        timer->start(100);
    }
};

FakeHttpServer::Reply jsonReply(const QByteArray &body, int status = 200)
{
    FakeHttpServer::Reply reply;
    reply.status = status;
    reply.body = body;
    return reply;
}

QJsonObject itemOf(const QString &type, const QString &repo, const QString &title, const QString &at)
{
    return QJsonObject{{"type", type}, {"repo", repo}, {"title", title}, {"at", at}};
}

} // namespace

// Plays GitHub on loopback with recorded-style replies and checks the requests, the section and
// every failure the fetch reports.
class TestGitHubSource : public QObject
{
    Q_OBJECT

    FakeHttpServer *m_server = nullptr;
    // Where the source asks: the loopback server, unless a case plays another.
    inline static QString apiBase;

    // Routes the two GraphQL queries by their text; the events reply is set per test.
    void serveQueries(const QByteArray &calendar, const QByteArray &merged)
    {
        m_server->setHandler("POST /graphql", [calendar, merged](const FakeHttpServer::Request &request) {
            const bool second = request.body.contains("$merged");
            return jsonReply(second ? merged : calendar);
        });
    }

    void serveRecording()
    {
        serveQueries(TestSupport::fixture("data/github-calendar.json"),
                     TestSupport::fixture("data/github-merged.json"));
        m_server->setReply("GET /users/octo-cat/events", jsonReply(TestSupport::fixture("data/github-events.json")));
    }

    static Outcome<GitHubSource::Fetched> outcome(std::chrono::milliseconds timeout = 10s)
    {
        const GitHubSource source(QStringLiteral("gho_secret"), apiBase, timeout);
        return outcomeOf(source.fetch(now));
    }

    static GitHubSource::Fetched fetch()
    {
        const Outcome<GitHubSource::Fetched> fetched = outcome();
        if (!fetched.value)
            qFatal("the fetch failed: %s", qPrintable(fetched.problem));
        return *fetched.value;
    }

    static QString failureOf(std::chrono::milliseconds timeout = 10s)
    {
        const Outcome<GitHubSource::Fetched> fetched = outcome(timeout);
        return fetched.value ? QStringLiteral("(no failure)") : fetched.problem;
    }

private Q_SLOTS:
    void init()
    {
        m_server = new FakeHttpServer(this);
        apiBase = m_server->start();
    }

    void cleanup()
    {
        delete m_server;
        m_server = nullptr;
    }

    void sendsTheQueriesAndTheEventsRequest()
    {
        serveRecording();
        const GitHubSource::Fetched fetched = fetch();
        QCOMPARE(fetched.login, QStringLiteral("octo-cat"));

        const QList<FakeHttpServer::Request> queries = m_server->requestsTo("POST /graphql");
        QCOMPARE(queries.size(), 2);
        for (const FakeHttpServer::Request &request : queries) {
            QCOMPARE(request.headers.value("authorization"), QByteArray("Bearer gho_secret"));
            QCOMPARE(request.headers.value("accept"), QByteArray("application/vnd.github+json"));
            QCOMPARE(request.headers.value("user-agent"), QByteArray("Tessarine"));
            QCOMPARE(request.headers.value("content-type"), QByteArray("application/json"));
        }
        const QJsonObject first = QJsonDocument::fromJson(queries[0].body).object();
        QCOMPARE(first.value("query").toString(), GitHubSource::calendarQuery);
        QCOMPARE(first.value("variables").toObject(), QJsonObject());
        QVERIFY(GitHubSource::calendarQuery.startsWith("query {\n  viewer {\n    login\n"));

        const QJsonObject second = QJsonDocument::fromJson(queries[1].body).object();
        QCOMPARE(second.value("query").toString(), GitHubSource::mergedQuery);
        const QJsonObject variables = second.value("variables").toObject();
        QCOMPARE(variables.value("merged").toString(),
                 QStringLiteral("author:octo-cat is:pr is:merged merged:>=2026-01-30"));
        QCOMPARE(variables.value("recent").toString(),
                 QStringLiteral("author:octo-cat is:pr is:merged sort:updated-desc"));

        const QList<FakeHttpServer::Request> events = m_server->requestsTo("GET /users/octo-cat/events");
        QCOMPARE(events.size(), 1);
        QCOMPARE(events[0].path, QByteArray("/users/octo-cat/events?per_page=100"));
        QCOMPARE(events[0].headers.value("authorization"), QByteArray("Bearer gho_secret"));
    }

    void reducesTheRecordedReplies()
    {
        serveRecording();
        const QJsonObject section = fetch().section;

        QCOMPARE(section.value("total").toInteger(), 1234);
        const QJsonArray weeks = section.value("weeks").toArray();
        QCOMPARE(weeks.size(), 6);
        QCOMPARE(weeks.first().toArray().size(), 7);
        QCOMPARE(weeks.last().toArray().size(), 1);
        QCOMPARE(weeks[0].toArray()[1].toObject(),
                 (QJsonObject{{"date", "2026-01-26"}, {"dow", 1}, {"count", 1}, {"level", 1}}));
        // An unknown level name reads as 0.
        QCOMPARE(weeks[0].toArray()[2].toObject().value("level").toInt(), 0);
        QCOMPARE(section.value("currentStreak").toInteger(), 4);
        QCOMPARE(section.value("longestStreak").toInteger(), 8);
        QCOMPARE(section.value("busiest").toObject(),
                 (QJsonObject{{"date", "2026-02-08"}, {"dow", 0}, {"count", 9}, {"level", 4}}));
        QCOMPARE(section.value("last30").toInteger(), 43);
        QCOMPARE(section.value("prs").toObject(), (QJsonObject{{"merged30", 7}}));
        // v1.2.0 (4 days), v1.1.0 (20 days) and "Named only"; 40 days back and a fractional
        // time stamp do not count.
        QCOMPARE(section.value("releases30").toInteger(), 3);

        const QJsonArray expected{
            itemOf("pushed", "tessarine", "2 pushes to main", "2026-03-01T09:00:00Z"),
            itemOf("pushed", "tessarine", "1 push to main", "2026-02-28T22:00:00Z"),
            itemOf("merged", "tessarine", "Fix flip", "2026-02-28T12:00:00Z"),
            itemOf("pushed", "dotfiles", "1 push to a branch", "2026-02-27T10:00:00Z"),
            itemOf("released", "dotfiles", "Named only", "2026-02-27T08:00:00Z"),
            itemOf("pushed", "x", "1 push to feature/login", "2026-02-26T10:00:00Z"),
            itemOf("released", "tessarine", "v1.2.0", "2026-02-25T10:00:00Z"),
            itemOf("merged", "old", "Old", "2026-01-02T00:00:00Z"),
        };
        QCOMPARE(section.value("activity").toArray(), expected);
    }

    void emptyRepliesFallBack()
    {
        serveQueries(R"({"data":{}})", R"({})");
        m_server->setReply("GET /users/GitHub/events", jsonReply(R"({"message":"not a list"})"));
        const GitHubSource::Fetched fetched = fetch();
        QCOMPARE(fetched.login, QStringLiteral("GitHub"));
        const QJsonObject expected{
            {"weeks", QJsonArray()},
            {"total", 0},
            {"currentStreak", 0},
            {"longestStreak", 0},
            {"busiest", QJsonObject{{"date", "2026-03-01"}, {"count", 0}}},
            {"last30", 0},
            {"prs", QJsonObject{{"merged30", 0}}},
            {"releases30", 0},
            {"activity", QJsonArray()},
        };
        QCOMPARE(fetched.section, expected);
    }

    void mistypedFieldsFallBackFieldByField()
    {
        serveQueries(R"({"data":{"viewer":{"login":42,"contributionsCollection":{"contributionCalendar":{
                         "totalContributions":"many","weeks":[{"contributionDays":[
                           {"date":7,"contributionCount":"3","weekday":null,"contributionLevel":2},
                           "not a day",
                           {"date":"2026-03-01","contributionCount":2.0,"weekday":0,"contributionLevel":"FIRST_QUARTILE"}]},
                         "not a week"]}},
                         "repositories":{"nodes":[{"name":1,"releases":{"nodes":[{"createdAt":"2026-02-28T00:00:00Z"}]}}]}}}})",
                     R"({"data":{"merged":{"issueCount":"7"},"recent":{"nodes":"none"}}})");
        m_server->setReply("GET /users/GitHub/events",
                           jsonReply(R"([{"type":"PushEvent"},{"type":"PushEvent","repo":"x","payload":[]}])"));
        const QJsonObject section = fetch().section;
        const QJsonArray weeks = section.value("weeks").toArray();
        QCOMPARE(weeks.size(), 2);
        QCOMPARE(weeks[0].toArray().size(), 2);
        QCOMPARE(weeks[0].toArray()[0].toObject(), (QJsonObject{{"date", ""}, {"dow", 0}, {"count", 0}, {"level", 0}}));
        QCOMPARE(weeks[1].toArray(), QJsonArray());
        QCOMPARE(section.value("total").toInteger(), 0);
        QCOMPARE(section.value("currentStreak").toInteger(), 1);
        QCOMPARE(section.value("prs").toObject().value("merged30").toInteger(), 0);
        QCOMPARE(section.value("releases30").toInteger(), 1);
        // Two push events without repository, branch or time fall into one group.
        const QJsonArray activity = section.value("activity").toArray();
        QCOMPARE(activity.size(), 2);
        QCOMPARE(activity[0].toObject(), itemOf("released", "", "", "2026-02-28T00:00:00Z"));
        QCOMPARE(activity[1].toObject(), itemOf("pushed", "", "2 pushes to a branch", ""));
    }

    void loginIsOneEscapedPathSegment()
    {
        // (An ordinary literal: moc misreads a "#" inside a raw string.)
        serveQueries("{\"data\":{\"viewer\":{\"login\":\"a b/../c?d#e%f\"}}}", R"({"data":{}})");
        m_server->setReply("GET /users/a%20b%2F..%2Fc%3Fd%23e%25f/events", jsonReply("[]"));
        QCOMPARE(fetch().login, QStringLiteral("a b/../c?d#e%f"));
        QCOMPARE(m_server->requestsTo("GET /users/a%20b%2F..%2Fc%3Fd%23e%25f/events").size(), 1);
    }

    void failures_data()
    {
        QTest::addColumn<QByteArray>("calendar");
        QTest::addColumn<int>("calendarStatus");
        QTest::addColumn<QByteArray>("events");
        QTest::addColumn<int>("eventsStatus");
        QTest::addColumn<QString>("message");

        const QByteArray ok = R"({"data":{"viewer":{"login":"octo-cat"}}})";
        const QString notJson =
            QStringLiteral("The data couldn\u2019t be read because it isn\u2019t in the correct format.");
        QTest::newRow("401 with a message") << QByteArray(R"({"message":"Bad credentials"})") << 401 << QByteArray("[]")
                                            << 200 << "GitHub 401: Bad credentials";
        QTest::newRow("403 without a message") << QByteArray(R"({"documentation_url":"x"})") << 403 << QByteArray("[]")
                                               << 200 << "GitHub 403: request failed";
        QTest::newRow("GraphQL errors") << QByteArray(R"({"errors":[{"message":"Bad credentials"}],"data":{}})") << 200
                                        << QByteArray("[]") << 200 << "GitHub: Bad credentials";
        QTest::newRow("GraphQL error without a message")
            << QByteArray(R"({"errors":[{"type":"X"}]})") << 200 << QByteArray("[]") << 200 << "GitHub: query failed";
        QTest::newRow("success that is not JSON")
            << QByteArray("<html>hello</html>") << 200 << QByteArray("[]") << 200 << notJson;
        QTest::newRow("empty body") << QByteArray() << 200 << QByteArray("[]") << 200 << notJson;
        // A body that is not JSON is a format failure before its status is looked at.
        QTest::newRow("error page that is not JSON")
            << QByteArray("<html>Bad gateway</html>") << 502 << QByteArray("[]") << 200 << notJson;
        QTest::newRow("error without a body") << QByteArray() << 500 << QByteArray("[]") << 200 << notJson;
        QTest::newRow("events error page that is not JSON")
            << ok << 200 << QByteArray("<html>Not Found</html>") << 404 << notJson;
        QTest::newRow("events fail") << ok << 200 << QByteArray(R"({"message":"Not Found"})") << 404
                                     << "GitHub 404: Not Found";
        QTest::newRow("events not JSON") << ok << 200 << QByteArray("[1,") << 200 << notJson;
        QTest::newRow("3xx is an error") << QByteArray("{}") << 300 << QByteArray("[]") << 200
                                         << "GitHub 300: request failed";
        // Server text reaches the card, the menu and a terminal: one plain line of it.
        QTest::newRow("message with escapes, line breaks and an override")
            << QByteArray("{\"message\":\"Bad\\u001b[2J\\r\\nX-Fake: 1\\u202e  gnirts\"}") << 401 << QByteArray("[]")
            << 200 << "GitHub 401: Bad[2J X-Fake: 1 gnirts";
        QTest::newRow("GraphQL message of many lines")
            << QByteArray("{\"errors\":[{\"message\":\"one\\ntwo\\n\\nthree\\u2029\"}]}") << 200 << QByteArray("[]")
            << 200 << "GitHub: one two three";
    }

    void failures()
    {
        QFETCH(QByteArray, calendar);
        QFETCH(int, calendarStatus);
        QFETCH(QByteArray, events);
        QFETCH(int, eventsStatus);
        QFETCH(QString, message);
        m_server->setReply("POST /graphql", jsonReply(calendar, calendarStatus));
        m_server->setReply("GET /users/octo-cat/events", jsonReply(events, eventsStatus));
        QCOMPARE(failureOf(), message);
    }

    void serverThatNeverAnswersTimesOut()
    {
        FakeHttpServer::Reply never = jsonReply("{}");
        never.delayMs = 600000;
        m_server->setReply("POST /graphql", never);
        QCOMPARE(failureOf(300ms), QStringLiteral("The request timed out."));
    }

    void overlongCalendarKeepsItsNewestYear()
    {
        QJsonArray weeks;
        for (int week = 0; week < 200; ++week) {
            QJsonArray days;
            for (int day = 0; day < 10; ++day)
                days.append(
                    QJsonObject{{"date", QStringLiteral("w%1d%2").arg(week).arg(day)}, {"contributionCount", 1}});
            weeks.append(QJsonObject{{"contributionDays", days}});
        }
        const QJsonArray kept = GitHubSummary::weeks(QJsonObject{{"weeks", weeks}});
        QCOMPARE(kept.size(), GitHubSummary::maxWeeks);
        QCOMPARE(kept.first().toArray().size(), GitHubSummary::daysPerWeek);
        QCOMPARE(kept.first().toArray().first().toObject().value("date").toString(), QStringLiteral("w146d0"));
        QCOMPARE(kept.last().toArray().last().toObject().value("date").toString(), QStringLiteral("w199d6"));
    }

    void tricklingServerMeetsTheDeadline()
    {
        TricklingServer trickling;
        apiBase = trickling.start();
        QCOMPARE(failureOf(1s), QStringLiteral("The request timed out."));
    }

    void oversizedReplyIsRefused()
    {
        serveRecording();
        m_server->setReply("GET /users/octo-cat/events",
                           jsonReply(QByteArray(GuardedRequest::maxReplyBytes + 1, ' ') + "[]"));
        QCOMPARE(failureOf(), QStringLiteral("GitHub\u2019s reply was too large."));
    }

    // The token goes to GitHub's own origin only: a redirect elsewhere (another port is another
    // origin) is not followed, one within the origin still is.
    void redirectsStayWithinTheOrigin()
    {
        FakeHttpServer elsewhere;
        elsewhere.start();
        elsewhere.setReply("POST /graphql", jsonReply(TestSupport::fixture("data/github-calendar.json")));
        FakeHttpServer::Reply away = jsonReply("{}", 307);
        away.headers = {{"Location", elsewhere.baseUrl().toUtf8() + "graphql"}};
        m_server->setReply("POST /graphql", away);
        QVERIFY(failureOf() != QStringLiteral("(no failure)"));
        for (const FakeHttpServer::Request &request : elsewhere.requests())
            QVERIFY2(!request.headers.contains("authorization"), request.headers.value("authorization"));

        serveRecording();
        FakeHttpServer::Reply moved = jsonReply("{}", 302);
        moved.headers = {{"Location", "/moved/events"}};
        m_server->setReply("GET /users/octo-cat/events", moved);
        m_server->setReply("GET /moved/events", jsonReply(TestSupport::fixture("data/github-events.json")));
        m_server->clearRequests();
        QCOMPARE(outcome().problem, QString());
        const QList<FakeHttpServer::Request> followed = m_server->requestsTo("GET /moved/events");
        QCOMPARE(followed.size(), 1);
        QCOMPARE(followed.first().headers.value("authorization"), QByteArray("Bearer gho_secret"));
    }

    void tokenThatNoHeaderCanCarryIsNotSent()
    {
        serveRecording();
        const GitHubSource source(QStringLiteral("gho_secret\r\nX-Injected: yes"), apiBase, 10s);
        const Outcome<GitHubSource::Fetched> fetched = outcomeOf(source.fetch(now));
        QVERIFY(!fetched.value);
        QVERIFY(!fetched.problem.contains(QStringLiteral("gho_secret")));
        QVERIFY(m_server->requests().isEmpty());
    }

    void unreachableServerFails()
    {
        m_server->close();
        const QString message = failureOf();
        QVERIFY(!message.isEmpty());
        QVERIFY(message != QStringLiteral("(no failure)"));
        QVERIFY(!message.contains("gho_secret"));
    }
};

QTEST_GUILESS_MAIN(TestGitHubSource)
#include "TestGitHubSource.moc"
