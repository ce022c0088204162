// Times whole refreshes of the five starting pages in the mono look (ten pictures) against a
// loopback GitHub, with the token handed out by a stand-in GitHub command-line tool, exactly as
// the unattended refresh runs them. Everything lives in a throw-away home folder.
//
//   bench_refresh [runs]      (default 5, after one cold run that is reported on its own)

#include "TestSupport.h"
#include "model/FrameModel.h"
#include "platform/InMemoryCredentialStore.h"
#include "render/PageRenderer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <memory>

namespace {

constexpr int picturesPerRun = 10;

QByteArray githubReply()
{
    return R"({"data": {"viewer": {"login": "octo-cat", "contributionsCollection": {"contributionCalendar":
        {"totalContributions": 3, "weeks": [{"contributionDays": [
        {"date": "2026-02-23", "contributionCount": 1, "weekday": 1, "contributionLevel": "FIRST_QUARTILE"},
        {"date": "2026-02-24", "contributionCount": 2, "weekday": 2, "contributionLevel": "SECOND_QUARTILE"}]}]}},
        "repositories": {"nodes": []}}, "merged": {"issueCount": 1}, "recent": {"nodes": []}}})";
}

// A home of its own, so the benchmark never reads or writes the user's settings or keyring.
void isolate(const QTemporaryDir &home)
{
    const QString root = home.path();
    for (const char *folder : {"home/bin", "data", "config"})
        QDir().mkpath(root + QLatin1Char('/') + QLatin1String(folder));
    qputenv("HOME", (root + QStringLiteral("/home")).toUtf8());
    qputenv("XDG_DATA_HOME", (root + QStringLiteral("/data")).toUtf8());
    qputenv("XDG_CONFIG_HOME", (root + QStringLiteral("/config")).toUtf8());
    qputenv("SHELL", "/bin/sh");
    qputenv("TESSARINE_SCREENS", (root + QStringLiteral("/data/screens")).toUtf8());
    qputenv("TESSARINE_VIEWS", TESSARINE_BENCH_SOURCE_DIR "/views");
    TestSupport::writeFile(root + QStringLiteral("/home/.profile"), "export PATH=\"$HOME/bin:$PATH\"\n");
    TestSupport::writeScript(root + QStringLiteral("/home/bin/gh"), "#!/bin/sh\necho gho_bench\n");
}

double timedRefresh(FrameModel &model)
{
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QObject::connect(&model, &FrameModel::isRefreshingChanged, &loop, [&] {
        if (!model.isRefreshing())
            loop.quit();
    });
    model.refresh();
    loop.exec();
    return double(clock.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    isolate(home);
    PageRenderer::prepareEnvironment(PageRenderer::Platform::AlwaysOffscreen);
    QApplication application(argc, argv);
    const int runs = std::max(1, argc > 1 ? QByteArray(argv[1]).toInt() : 5);

    FakeHttpServer github;
    qputenv("TESSARINE_GITHUB_API", github.start().toUtf8());
    FakeHttpServer::Reply reply;
    reply.body = githubReply();
    github.setReply("POST /graphql", reply);
    reply.body = "[]";
    github.setReply("GET /users/octo-cat/events", reply);

    FrameModel model(std::make_shared<InMemoryCredentialStore>(), nullptr);
    QTextStream out(stdout);
    const double cold = timedRefresh(model);
    if (model.errorLine()) {
        out << "refresh failed: " << *model.errorLine() << Qt::endl;
        return 1;
    }
    QList<double> times;
    for (int run = 0; run < runs; ++run)
        times.append(timedRefresh(model));
    std::sort(times.begin(), times.end());
    const double median = times.size() % 2 ? times.at(times.size() / 2)
                                           : (times.at(times.size() / 2 - 1) + times.at(times.size() / 2)) / 2;
    out << QString::asprintf("refresh of 5 pages, %d pictures: median %.2f s over %d runs (%.0f ms per picture); "
                             "first run %.2f s",
                             picturesPerRun, median, runs, median * 1000 / picturesPerRun, cold)
        << Qt::endl;
    return 0;
}
