// SPDX-License-Identifier: GPL-3.0-or-later
// Measures DataCollector::collect() with every source local and prints the medians of the
// whole collection, of the tools alone (the same Grok and Codex runs through the login shell)
// and of the difference: the collector's own cost. Runs in a throw-away HOME.
#include "TestSupport.h"
#include "data/DataCollector.h"
#include "data/LocalSources.h"
#include "data/Shell.h"
#include "data/WisprSource.h"
#include "kit/Problem.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <sqlite3.h>

using namespace std::chrono_literals;

namespace {

constexpr int warmUps = 2;
constexpr int rounds = 15;

void prepareHome(const QString &home)
{
    qputenv("HOME", QFile::encodeName(home));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home + "/data"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home + "/config"));
    qputenv("SHELL", "/bin/sh");
    TestSupport::writeFile(home + "/.profile", "export PATH=\"$HOME/bin:$PATH\"\n");
    TestSupport::writeScript(home + "/bin/codex",
                             "#!/bin/sh\n"
                             "echo '{\"id\":1,\"result\":{}}'\n"
                             "echo '{\"id\":2,\"result\":{\"rateLimits\":{\"primary\":{\"usedPercent\":12,"
                             "\"windowDurationMins\":300,\"resetsAt\":4102444800}}}}'\n"
                             "echo '{\"id\":3,\"result\":{\"dailyUsageBuckets\":[],\"summary\":{}}}'\n"
                             "while read -r line; do :; done\n");
    TestSupport::writeScript(home + "/bin/grok", "#!/bin/sh\necho '{\"weekly\":{\"usedPercent\":10}}'\n");
}

void writeLocalFiles()
{
    TestSupport::writeFile(LocalSources::claudeReportPath(),
                           R"({"fiveHour":{"used_percentage":30,"resets_at":4102444800}})");
    const QString path = WisprSource::databasePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    sqlite3 *database = nullptr;
    sqlite3_open(QFile::encodeName(path).constData(), &database);
    sqlite3_exec(database, "CREATE TABLE History (timestamp TEXT, numWords INTEGER, duration REAL)", nullptr, nullptr,
                 nullptr);
    sqlite3_exec(database,
                 "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
                 "INSERT INTO History SELECT datetime('now', '-' || (i % 59) || ' days'), 40, 20 FROM n",
                 nullptr, nullptr, nullptr);
    sqlite3_close(database);
}

void serveGitHub(FakeHttpServer &server)
{
    server.setHandler("POST /graphql", [](const FakeHttpServer::Request &request) {
        FakeHttpServer::Reply reply;
        reply.body = TestSupport::fixture(request.body.contains("$merged") ? "data/github-merged.json"
                                                                           : "data/github-calendar.json");
        return reply;
    });
    FakeHttpServer::Reply events;
    events.body = TestSupport::fixture("data/github-events.json");
    server.setReply("GET /users/octo-cat/events", events);
}

QCoro::Task<> runToolsAlone()
{
    co_await Shell::run(QStringLiteral("grok usage --json"), LocalSources::toolTimeout);
    const QSet<int> awaited{2, 3};
    co_await Shell::converse(QStringLiteral("exec codex app-server"), LocalSources::codexRequests, awaited,
                             LocalSources::toolTimeout);
}

qint64 elapsedMicroseconds(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return timer.nsecsElapsed() / 1000;
}

double median(QList<qint64> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    prepareHome(home.path());
    QCoreApplication app(argc, argv);
    writeLocalFiles();
    FakeHttpServer server;
    const QString gitHubApi = server.start();
    serveGitHub(server);

    DataCollector collector(QJsonArray(), {"github.year", "github.activity", "plans.all", "calendar.next"},
                            DataCollector::allProviders, true, std::nullopt, std::nullopt, QStringLiteral("token"));
    collector.setGitHubApi(gitHubApi);
    QList<qint64> collections, tools, overheads;
    for (int round = 0; round < warmUps + rounds; ++round) {
        bool failed = false;
        const qint64 collection = elapsedMicroseconds([&] {
            // The failure is caught inside the task: QCoro::waitFor never returns from a task that throws.
            QCoro::waitFor([&]() -> QCoro::Task<> {
                try {
                    co_await collector.collect(QDateTime::currentDateTime());
                } catch (const Problem &) {
                    failed = true;
                }
            }());
        });
        if (failed) {
            std::fprintf(stderr, "the collection failed\n");
            return 1;
        }
        const qint64 toolsAlone = elapsedMicroseconds([] { QCoro::waitFor(runToolsAlone()); });
        if (round < warmUps)
            continue;
        collections.append(collection);
        tools.append(toolsAlone);
        overheads.append(collection - toolsAlone);
    }
    std::printf("collect, every source local: median %.1f ms over %d rounds\n", median(collections) / 1000.0, rounds);
    std::printf("the tools alone (grok, codex):  median %.1f ms\n", median(tools) / 1000.0);
    std::printf("collector's own cost:           median %.1f ms (budget 100 ms)\n", median(overheads) / 1000.0);
    return 0;
}
