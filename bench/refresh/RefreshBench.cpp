// SPDX-License-Identifier: GPL-3.0-or-later
// Times whole refreshes of the five starting pages in the mono look (ten pictures) against a
// loopback GitHub, with the token handed out by a stand-in GitHub command-line tool, exactly as
// the unattended refresh runs them. Everything lives in a throw-away home folder.
//
//   bench_refresh [runs]      (default 5, after one cold run that is reported on its own)
//
// Prints the median wall time and the median processor time of a refresh (this process and the
// processes it started), each also per picture.

#include "TestSupport.h"
#include "model/FrameModel.h"
#include "platform/InMemoryCredentialStore.h"
#include "render/PageRenderer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <memory>
#include <unistd.h>

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
    TestSupport::writeFile(root + QStringLiteral("/home/.profile"), "export PATH=\"$HOME/bin:$PATH\"\n");
    TestSupport::writeScript(root + QStringLiteral("/home/bin/gh"), "#!/bin/sh\necho gho_bench\n");
}

// Processor time in seconds used so far by this process and everything it started (the web
// engine's helper processes, the shells), read from /proc. On a shared machine wall time depends
// on the neighbours; this does not.
double cpuSeconds()
{
    const qint64 self = QCoreApplication::applicationPid();
    QHash<qint64, qint64> parents;
    QHash<qint64, double> used;
    const double ticks = double(sysconf(_SC_CLK_TCK));
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool isPid = false;
        const qint64 pid = entry.toLongLong(&isPid);
        QFile stat(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        if (!isPid || !stat.open(QIODevice::ReadOnly))
            continue;
        // The fields after the parenthesised command name: state, ppid, … utime (14), stime,
        // cutime, cstime (17), counted from 1 over the whole line.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 15)
            continue;
        parents.insert(pid, fields.at(1).toLongLong());
        double total = 0;
        for (int field = 11; field <= 14; ++field)
            total += fields.at(field).toDouble();
        used.insert(pid, total / ticks);
    }
    double total = 0;
    for (auto it = used.cbegin(); it != used.cend(); ++it) {
        for (qint64 pid = it.key(); pid > 1; pid = parents.value(pid, 0)) {
            if (pid == self) {
                total += it.value();
                break;
            }
        }
    }
    return total;
}

struct Timing
{
    double wall = 0;
    double cpu = 0;
};

Timing timedRefresh(FrameModel &model)
{
    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QObject::connect(&model, &FrameModel::isRefreshingChanged, &loop, [&] {
        if (!model.isRefreshing())
            loop.quit();
    });
    model.refresh();
    loop.exec();
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    return {wall, cpuSeconds() - cpuBefore};
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    const qsizetype middle = values.size() / 2;
    return values.size() % 2 ? values.at(middle) : (values.at(middle - 1) + values.at(middle)) / 2;
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
    Configuration configuration;
    configuration.screensDir = home.path() + QStringLiteral("/data/screens");
    configuration.viewsDir = QStringLiteral(TESSARINE_BENCH_SOURCE_DIR "/views");
    // The pages are drawn by the program's renderer process, as the card draws them.
    configuration.renderer = QStringLiteral(TESSARINE_BENCH_BINARY);
    configuration.gitHubApi = github.start();
    FakeHttpServer::Reply reply;
    reply.body = githubReply();
    github.setReply("POST /graphql", reply);
    reply.body = "[]";
    github.setReply("GET /users/octo-cat/events", reply);

    FrameModel model(configuration, std::make_shared<InMemoryCredentialStore>());
    QTextStream out(stdout);
    const Timing cold = timedRefresh(model);
    if (model.errorLine()) {
        out << "refresh failed: " << *model.errorLine() << Qt::endl;
        return 1;
    }
    QList<double> walls;
    QList<double> cpus;
    for (int run = 0; run < runs; ++run) {
        const Timing timing = timedRefresh(model);
        if (model.errorLine()) {
            out << "refresh failed: " << *model.errorLine() << Qt::endl;
            return 1;
        }
        walls.append(timing.wall);
        cpus.append(timing.cpu);
    }
    const double wall = median(walls);
    const double cpu = median(cpus);
    out << QString::asprintf("refresh of 5 pages, %d pictures: median %.2f s over %d runs (%.0f ms per picture); "
                             "processor time %.2f s (%.0f ms per picture); first run %.2f s",
                             picturesPerRun, wall, runs, wall * 1000 / picturesPerRun, cpu, cpu * 1000 / picturesPerRun,
                             cold.wall)
        << Qt::endl;
    return 0;
}
