// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeTools.h"
#include "Outcome.h"
#include "TestSupport.h"
#include "data/DataCollector.h"
#include "data/LocalSources.h"
#include "data/WisprSource.h"

#include <QCoro/QCoroTask>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>
#include <sqlite3.h>

using namespace std::chrono_literals;

namespace {

const QDateTime now = QDateTime::fromString(QStringLiteral("2026-03-01T09:15:42.120Z"), Qt::ISODateWithMs);
const QString signInMessage = QStringLiteral("Sign in to GitHub in Connections, or remove the GitHub widgets.");

// The loopback server each case plays GitHub with.
QString gitHubApi;

const QJsonArray pages{QJsonObject{{"layout", "thirds"}, {"widgets", QJsonArray{"github.year", QJsonValue::Null}}}};

DataCollector collectorFor(const QSet<QString> &widgets, const QStringList &chosen,
                           const std::optional<QJsonObject> &calendar = std::nullopt,
                           const std::optional<QString> &token = std::nullopt,
                           const std::optional<QJsonObject> &countdown = std::nullopt)
{
    DataCollector collector(pages, widgets, chosen, true, countdown, calendar, token);
    collector.setTimeouts(5s, 2s);
    collector.setGitHubApi(gitHubApi);
    return collector;
}

QStringList providerIds(const QJsonObject &document)
{
    QStringList ids;
    for (const QJsonValue &entry : document.value("ai").toObject().value("providers").toArray())
        ids.append(entry.toObject().value("id").toString());
    return ids;
}

QJsonObject entry(const QString &id, const QString &name, const QString &logo, const QString &status,
                  const QString &reason)
{
    return QJsonObject{{"id", id}, {"name", name}, {"logo", logo}, {"status", status}, {"reason", reason}};
}

// Tools that leave a mark in HOME when they run, so a test can tell which were started.
void installMarkingTools()
{
    FakeTools::install("codex", "touch \"$HOME/started-codex\"\n"
                                "echo '{\"id\":2,\"result\":{\"rateLimits\":{\"primary\":{\"usedPercent\":12,"
                                "\"windowDurationMins\":300}}}}'\n"
                                "echo '{\"id\":3,\"result\":{\"dailyUsageBuckets\":[{\"startDate\":\"2026-02-27\","
                                "\"tokens\":1234}],\"summary\":{\"currentStreakDays\":9}}}'\n"
                                "while read -r line; do :; done\n");
    FakeTools::install("grok", "touch \"$HOME/started-grok\"\necho '{\"weekly\":{\"usedPercent\":10}}'\n");
}

bool started(const QString &tool)
{
    return QFile::exists(QDir::homePath() + "/started-" + tool);
}

void writeWisprHistory()
{
    const QString path = WisprSource::databasePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    sqlite3 *database = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &database);
    const QByteArray today = QDateTime::currentDateTimeUtc().toString("yyyy-MM-dd HH:mm:ss").toUtf8();
    sqlite3_exec(database, "CREATE TABLE History (timestamp TEXT, numWords INTEGER, duration REAL)", nullptr, nullptr,
                 nullptr);
    const QByteArray insert = "INSERT INTO History VALUES ('" + today + "', 120, 60)";
    sqlite3_exec(database, insert.constData(), nullptr, nullptr, nullptr);
    sqlite3_close(database);
}

} // namespace

class TestDataCollector : public QObject
{
    Q_OBJECT

    FakeHttpServer *m_server = nullptr;

    void serveGitHub()
    {
        m_server->setHandler("POST /graphql", [](const FakeHttpServer::Request &request) {
            FakeHttpServer::Reply reply;
            reply.body = TestSupport::fixture(request.body.contains("$merged") ? "data/github-merged.json"
                                                                               : "data/github-calendar.json");
            return reply;
        });
        FakeHttpServer::Reply events;
        events.body = TestSupport::fixture("data/github-events.json");
        m_server->setReply("GET /users/octo-cat/events", events);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(FakeTools::isolated(), "run through tests/run-isolated.sh: this test writes login profiles");
        QDir().mkpath(FakeTools::binDir());
        FakeTools::useLoginShell(QStringLiteral("/bin/sh"));
    }

    void init()
    {
        m_server = new FakeHttpServer(this);
        gitHubApi = m_server->start();
        installMarkingTools();
        QFile::remove(QDir::homePath() + "/started-codex");
        QFile::remove(QDir::homePath() + "/started-grok");
        QFile::remove(LocalSources::claudeReportPath());
        QFile::remove(WisprSource::databasePath());
    }

    void cleanup()
    {
        delete m_server;
        m_server = nullptr;
    }

    void countdownOnlyAsksNobody()
    {
        const QJsonObject countdown{{"title", "Launch"}, {"date", "2026-04-01"}};
        const DataCollector collector = collectorFor({"countdown.days"}, {"claude", "codex", "grok"},
                                                     QJsonObject{{"status", "ok"}}, QStringLiteral("token"), countdown);
        const Outcome<DataCollector::Result> outcome = outcomeOf(collector.collect(now));
        QVERIFY2(outcome.value, qPrintable(outcome.problem));
        QVERIFY(!outcome.value->login);

        const QJsonObject expected{
            {"updatedAt", "2026-03-01T09:15:42.120Z"},
            {"brand", "tessarine"},
            {"logos", true},
            {"github", QJsonValue::Null},
            {"ai", QJsonObject{{"chosen", QJsonArray{"claude", "codex", "grok"}}, {"providers", QJsonArray()}}},
            {"pages", pages},
            {"countdown", countdown},
            {"calendar", QJsonValue::Null},
            {"generatedBy", "Tessarine.app"},
        };
        // The providers table is compared row by row with the table in TestProviderConsumers.
        QJsonObject data = outcome.value->data;
        QVERIFY(data.take("providers").isArray());
        QCOMPARE(data, expected);
        QVERIFY(!started("codex") && !started("grok"));
        QVERIFY(m_server->requests().isEmpty());
    }

    void neededProviders_data()
    {
        QTest::addColumn<QStringList>("widgets");
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("needed");

        QTest::newRow("all plans, user's order ignored")
            << QStringList{"plans.all"} << QStringList{"grok", "claude"} << QStringList{"claude", "grok"};
        QTest::newRow("chosen without the all-plans widget")
            << QStringList{"github.year"} << QStringList{"grok"} << QStringList{};
        QTest::newRow("placed alone") << QStringList{"provider.gemini"} << QStringList{} << QStringList{"gemini"};
        QTest::newRow("placed and chosen once")
            << QStringList{"provider.wispr", "plans.all", "provider.codex"} << QStringList{"wispr", "claude"}
            << QStringList{"claude", "codex", "wispr"};
        QTest::newRow("unknown ids ignored")
            << QStringList{"provider.other", "plans.all"} << QStringList{"other"} << QStringList{};
    }

    void neededProviders()
    {
        QFETCH(QStringList, widgets);
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, needed);
        const DataCollector collector = collectorFor(QSet<QString>(widgets.begin(), widgets.end()), chosen);
        QCOMPARE(collector.neededProviders(), needed);
    }

    void allPlansInFixedOrder()
    {
        const Outcome<DataCollector::Result> outcome =
            outcomeOf(collectorFor({"plans.all"}, {"grok", "claude"}).collect(now));
        QVERIFY(outcome.value);
        QCOMPARE(providerIds(outcome.value->data), (QStringList{"claude", "grok"}));
        QCOMPARE(outcome.value->data.value("ai").toObject().value("chosen").toArray(), (QJsonArray{"grok", "claude"}));
        QVERIFY(started("grok") && !started("codex"));
    }

    void geminiAlone()
    {
        const Outcome<DataCollector::Result> outcome = outcomeOf(collectorFor({"provider.gemini"}, {}).collect(now));
        QVERIFY(outcome.value);
        QCOMPARE(
            outcome.value->data.value("ai").toObject().value("providers").toArray(),
            (QJsonArray{entry("gemini", "Gemini", "gemini", "unavailable", "Gemini CLI has no usage report yet")}));
    }

    void calendarSection_data()
    {
        QTest::addColumn<bool>("placed");
        QTest::addColumn<bool>("given");
        QTest::addColumn<QJsonValue>("section");

        const QJsonObject ok{
            {"status", "ok"},
            {"savedAt", "2026-03-01T09:15:42Z"},
            {"events",
             QJsonArray{QJsonObject{{"title", "Stand-up"}, {"start", "2026-03-02T09:00:00Z"}, {"allDay", false}}}}};
        QTest::newRow("placed and given") << true << true << QJsonValue(ok);
        QTest::newRow("placed, none given")
            << true << false << QJsonValue(QJsonObject{{"status", "noAccess"}, {"events", QJsonArray()}});
        QTest::newRow("not placed") << false << true << QJsonValue(QJsonValue::Null);
    }

    void calendarSection()
    {
        QFETCH(bool, placed);
        QFETCH(bool, given);
        QFETCH(QJsonValue, section);
        std::optional<QJsonObject> calendar;
        if (given)
            calendar =
                section.isObject() ? section.toObject() : QJsonObject{{"status", "ok"}, {"events", QJsonArray()}};
        const QSet<QString> widgets{placed ? QStringLiteral("calendar.next") : QStringLiteral("date.today")};
        const Outcome<DataCollector::Result> outcome = outcomeOf(collectorFor(widgets, {}, calendar).collect(now));
        QVERIFY(outcome.value);
        QCOMPARE(outcome.value->data.value("calendar"), section);
    }

    void everySourceTogether()
    {
        serveGitHub();
        QVERIFY(TestSupport::writeFile(LocalSources::claudeReportPath(),
                                       R"({"fiveHour":{"used_percentage":30,"resets_at":1772360000},
                                           "savedAt":"2026-03-01T09:00:00Z"})"));
        writeWisprHistory();
        const DataCollector collector =
            collectorFor({"github.year", "github.activity", "plans.all", "provider.wispr"},
                         {"gemini", "grok", "codex", "claude"}, std::nullopt, QStringLiteral("gho_token"));
        const Outcome<DataCollector::Result> outcome = outcomeOf(collector.collect(now));
        QVERIFY2(outcome.value, qPrintable(outcome.problem));
        const QJsonObject data = outcome.value->data;
        QCOMPARE(outcome.value->login.value_or(QString()), QStringLiteral("octo-cat"));
        QCOMPARE(data.size(), 10);
        QCOMPARE(data.value("github").toObject().value("currentStreak").toInteger(), 4);
        QCOMPARE(providerIds(data), (QStringList{"claude", "codex", "grok", "gemini", "wispr"}));

        const QJsonArray providers = data.value("ai").toObject().value("providers").toArray();
        const QJsonObject claude{{"id", "claude"},
                                 {"name", "Claude"},
                                 {"logo", "claude"},
                                 {"status", "ok"},
                                 {"windows", QJsonArray{QJsonObject{{"label", "5-hour"},
                                                                    {"minutes", 300},
                                                                    {"usedPercent", 30},
                                                                    {"resetsAt", 1772360000},
                                                                    {"runsOutAt", QJsonValue::Null},
                                                                    {"outlook", QJsonValue::Null},
                                                                    {"series", QJsonArray()}}}},
                                 {"seenAt", "2026-03-01T09:00:00Z"}};
        QCOMPARE(providers[0].toObject(), claude);
        const QJsonObject codex{
            {"id", "codex"},
            {"name", "Codex"},
            {"logo", "openai"},
            {"status", "ok"},
            {"plan", QJsonValue::Null},
            {"windows", QJsonArray{QJsonObject{{"label", "5-hour"},
                                               {"minutes", 300},
                                               {"usedPercent", 12},
                                               {"resetsAt", QJsonValue::Null},
                                               {"runsOutAt", QJsonValue::Null},
                                               {"outlook", QJsonValue::Null},
                                               {"series", QJsonArray()}}}},
            {"stats",
             QJsonArray{QJsonObject{
                 {"label", "Last 30 days"}, {"value", 1234}, {"format", "tokens"}, {"sub", "tokens · 9-day streak"}}}}};
        QCOMPARE(providers[1].toObject(), codex);
        QCOMPARE(providers[2].toObject().value("status").toString(), QStringLiteral("ok"));
        const QJsonObject wispr = providers[4].toObject();
        QCOMPARE(wispr.value("name").toString(), QStringLiteral("Wispr Flow"));
        QCOMPARE(wispr.value("windows").toArray(), QJsonArray());
        QCOMPARE(wispr.value("status").toString(), QStringLiteral("ok"));
        QCOMPARE(wispr.value("stats").toArray().size(), 2);

        // Counts stay integers in the written document.
        const QByteArray text = QJsonDocument(data).toJson(QJsonDocument::Compact);
        QVERIFY(text.contains("\"total\":1234,"));
        QVERIFY(text.contains("\"value\":1234}"));
        QVERIFY(!text.contains("gho_token"));
    }

    void windowsCarryTheirForecast()
    {
        // A Claude window read every five minutes, 2 points at a time: from 66 % at 09:30 the
        // remaining 34 points take 85 minutes, well before the reset at 14:00.
        const QDateTime start(QDate(2026, 3, 1), QTime(9, 15), QTimeZone::utc());
        const qint64 resetsAt = QDateTime(QDate(2026, 3, 1), QTime(14, 0), QTimeZone::utc()).toSecsSinceEpoch();
        QTemporaryDir folder;
        QJsonObject window;
        for (int reading = 0; reading < 4; ++reading) {
            QVERIFY(TestSupport::writeFile(LocalSources::claudeReportPath(),
                                           QString(R"({"fiveHour":{"used_percentage":%1,"resets_at":%2}})")
                                               .arg(60 + 2 * reading)
                                               .arg(resetsAt)
                                               .toUtf8()));
            DataCollector collector = collectorFor({"provider.claude"}, {});
            collector.setUsageHistory(folder.filePath("usage-history.sqlite"));
            const Outcome<DataCollector::Result> outcome = outcomeOf(collector.collect(start.addSecs(300 * reading)));
            QVERIFY2(outcome.value, qPrintable(outcome.problem));
            window = outcome.value->data.value("ai")
                         .toObject()
                         .value("providers")[0]
                         .toObject()
                         .value("windows")[0]
                         .toObject();
        }
        QCOMPARE(window.value("runsOutAt").toDouble(), double(start.addSecs(15 * 60 + 85 * 60).toSecsSinceEpoch()));
        QCOMPARE(window.value("outlook").toString(), QStringLiteral("runsOut"));
        QCOMPARE(window.value("series").toArray().first().toDouble(), 60.0);
        QCOMPARE(window.value("series").toArray().last().toDouble(), 66.0);
    }

    void githubFailureLeavesItsSectionOut_data()
    {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("reason");

        QTest::newRow("no sign-in") << "signedOut" << signInMessage;
        // How each failure of GitHub itself reads is TestGitHubSource's; one stands for them here.
        QTest::newRow("token refused") << "401"
                                       << "GitHub 401: Bad credentials";
    }

    // A failing GitHub costs only its own section: the providers and the calendar are still
    // read, and the section says why it holds no figures.
    void githubFailureLeavesItsSectionOut()
    {
        QFETCH(QString, fault);
        QFETCH(QString, reason);
        FakeHttpServer::Reply unauthorised;
        unauthorised.status = 401;
        unauthorised.body = R"({"message":"Bad credentials"})";
        m_server->setReply("POST /graphql", unauthorised);
        const std::optional<QString> token =
            fault == "signedOut" ? std::nullopt : std::optional<QString>(QStringLiteral("expired"));
        const QJsonObject calendar{{"status", "ok"}, {"events", QJsonArray()}};

        const Outcome<DataCollector::Result> outcome = outcomeOf(
            collectorFor({"github.month", "provider.codex", "calendar.next"}, {}, calendar, token).collect(now));

        QVERIFY2(outcome.value, qPrintable(outcome.problem));
        QVERIFY(outcome.value->githubProblem);
        QVERIFY2(outcome.value->githubProblem->startsWith(reason), qPrintable(*outcome.value->githubProblem));
        QVERIFY(!outcome.value->login);
        const QJsonObject github = outcome.value->data.value("github").toObject();
        QCOMPARE(github.value("status").toString(), QStringLiteral("unavailable"));
        QCOMPARE(github.value("reason").toString(), *outcome.value->githubProblem);
        QVERIFY(started("codex"));
        QCOMPARE(providerIds(outcome.value->data), QStringList{"codex"});
        QCOMPARE(outcome.value->data.value("calendar").toObject(), calendar);
        QCOMPARE(m_server->requests().isEmpty(), fault != "401");
    }

    void failingProviders_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QByteArray>("tool"); // replaces the fake codex and grok; empty: removes them
        QTest::addColumn<QJsonObject>("expected");

        const QByteArray hangs = "trap '' TERM\nwhile read -r line; do :; done\n";
        // HOME has no ~/.claude here: no session will ever report until Claude Code is installed.
        QTest::newRow("claude not installed")
            << "claude" << QByteArray()
            << entry("claude", "Claude", "claude", "empty", "Install Claude Code to show your Claude plan");
        const QJsonObject noReport = entry("codex", "Codex", "openai", "unavailable", "Codex gave no usage report");
        QTest::newRow("codex missing") << "codex" << QByteArray() << noReport;
        QTest::newRow("codex crashes") << "codex" << QByteArray("kill -SEGV $$\n") << noReport;
        QTest::newRow("codex prints garbage")
            << "codex" << QByteArray("echo 'Welcome!'; echo '{\"id\":2}'\n") << noReport;
        // A hanging Codex is TestLocalSources'; the reasons the real Codex gives when signed out
        // or signed in with an API key are TestCodexAppServer's.
        QTest::newRow("codex fails otherwise")
            << "codex" << QByteArray("echo '{\"id\":2,\"error\":{\"code\":-32601,\"message\":\"no such method\"}}'\n")
            << entry("codex", "Codex", "openai", "unavailable", "Codex reported an error instead of its usage");
        QTest::newRow("grok missing") << "grok" << QByteArray()
                                      << entry("grok", "Grok", "grok", "unavailable",
                                               "Grok is not signed in or not installed");
        QTest::newRow("grok hangs") << "grok" << hangs
                                    << entry("grok", "Grok", "grok", "unavailable",
                                             "Grok is not signed in or not installed");
        QTest::newRow("grok without its service")
            << "grok" << QByteArray("echo \"Error: can't show usage\" >&2\nexit 1\n")
            << entry("grok", "Grok", "grok", "unavailable", "Plan usage needs Grok\u2019s background service");
        QTest::newRow("grok without windows")
            << "grok" << QByteArray("echo '{\"plan\":\"free\"}'\n")
            << entry("grok", "Grok", "grok", "unavailable", "Grok reported no usage windows");
        QTest::newRow("grok without a usage command")
            << "grok" << QByteArray("echo \"error: unknown command 'usage'\" >&2\nexit 1\n")
            << entry("grok", "Grok", "grok", "unavailable", "This Grok CLI has no usage report");
        QTest::newRow("wispr not installed")
            << "wispr" << QByteArray()
            << entry("wispr", "Wispr Flow", "wispr", "unavailable", "Wispr Flow is not installed on this computer");
    }

    void failingProviders()
    {
        QFETCH(QString, id);
        QFETCH(QByteArray, tool);
        QFETCH(QJsonObject, expected);
        for (const QString &name : {QStringLiteral("codex"), QStringLiteral("grok")}) {
            if (tool.isEmpty())
                FakeTools::remove(name);
            else
                FakeTools::install(name, tool);
        }
        QCOMPARE(QCoro::waitFor(DataCollector::provider(id, now, 300ms)), expected);
    }

    // A database that is there but cannot be read is not "not installed".
    void wisprDatabaseThatCannotBeRead()
    {
        const QString database = WisprSource::databasePath();
        QDir().mkpath(QFileInfo(database).path());
        QVERIFY(TestSupport::writeFile(database, "this is not an SQLite database, only some text in its place"));
        const QJsonObject expected =
            entry("wispr", "Wispr Flow", "wispr", "unavailable", "Wispr Flow\u2019s database could not be read");
        QCOMPARE(QCoro::waitFor(DataCollector::provider(QStringLiteral("wispr"), now, 300ms)), expected);
        QFile::remove(database);
    }

    void collectorNeedNotOutliveItsTask()
    {
        QCoro::Task<DataCollector::Result> task = [] {
            const DataCollector collector = collectorFor({"provider.grok", "calendar.next"}, {});
            return collector.collect(now);
        }();
        const Outcome<DataCollector::Result> outcome = outcomeOf(std::move(task));
        QVERIFY(outcome.value);
        QCOMPARE(providerIds(outcome.value->data), QStringList{"grok"});
        QCOMPARE(outcome.value->data.value("calendar").toObject().value("status").toString(),
                 QStringLiteral("noAccess"));
    }
};

QTEST_GUILESS_MAIN(TestDataCollector)
#include "TestDataCollector.moc"
