// SPDX-License-Identifier: GPL-3.0-or-later
// Measures the trend step of a refresh (UsageTrends::annotate, awaited as the collector awaits
// it) on usage histories crafted with 200,000 readings of one window: all of them in the last
// three hours, spread over eight days, and with a trigger that never ends. Prints, per history,
// the median wall time of the step, the processor time the process spends in the two seconds
// after the step returned, and at the end the process's peak resident memory. Runs in a
// throw-away folder.
#include "data/UsageTrends.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <sys/resource.h>

namespace {

constexpr int rounds = 5;
constexpr int readings = 200000;
constexpr double hour = 3600;

struct Crafted
{
    const char *name;
    double spanHours; // the readings lie evenly over this much time before now
    bool endlessTrigger;
};

double processorSeconds()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long peakMegabytes()
{
    rusage usage = {};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

void craft(const QString &file, const Crafted &crafted, double now)
{
    QFile::remove(file);
    sqlite3 *database = nullptr;
    sqlite3_open(QFile::encodeName(file).constData(), &database);
    const double from = now - crafted.spanHours * hour;
    const QString sql =
        QStringLiteral("CREATE TABLE readings(provider TEXT NOT NULL, window_key TEXT NOT NULL, at REAL NOT NULL, "
                       "used REAL NOT NULL, resets_at REAL);"
                       "CREATE INDEX readings_by_window ON readings(provider, window_key);"
                       "CREATE INDEX readings_by_time ON readings(at);"
                       "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                       "INSERT INTO readings SELECT 'claude', '/300m', %2 + i * %3, 10 + i * 40.0 / %1, %4 FROM n;")
            .arg(readings - 1)
            .arg(from, 0, 'f', 3)
            .arg((now - 60 - from) / readings, 0, 'f', 6)
            .arg(now + 4 * hour, 0, 'f', 3);
    sqlite3_exec(database, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (crafted.endlessTrigger)
        sqlite3_exec(database,
                     "CREATE TRIGGER forever AFTER INSERT ON readings BEGIN SELECT count(*) FROM (WITH RECURSIVE "
                     "c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) SELECT x FROM c); END;",
                     nullptr, nullptr, nullptr);
    sqlite3_close(database);
}

QJsonArray entryAt(double now)
{
    const QJsonObject window{
        {"label", "5-hour"}, {"minutes", 300}, {"usedPercent", 50.5}, {"resetsAt", now + 4 * hour}};
    return QJsonArray{QJsonObject{{"id", "claude"}, {"status", "ok"}, {"windows", QJsonArray{window}}}};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const QString master = folder.filePath("crafted.sqlite");
    const QString file = folder.filePath("usage-history.sqlite");
    const Crafted histories[] = {{"200,000 readings in the last three hours", 3, false},
                                 {"200,000 readings over eight days", 8 * 24 - 1, false},
                                 {"200,000 readings and a trigger that never ends", 3, true}};
    std::printf("peak memory before: %ld MB\n", peakMegabytes());
    for (const Crafted &crafted : histories) {
        const QDateTime now = QDateTime::currentDateTimeUtc();
        const double seconds = double(now.toMSecsSinceEpoch()) / 1000;
        craft(master, crafted, seconds);
        std::vector<double> walls;
        std::vector<double> after;
        QString outlook;
        for (int round = 0; round < rounds; ++round) {
            for (const QString &name : QDir(folder.path()).entryList({"usage-history*"}, QDir::Files))
                QFile::remove(folder.filePath(name));
            QFile::copy(master, file);
            QElapsedTimer wall;
            wall.start();
            const UsageTrends::Outcome outcome = QCoro::waitFor(UsageTrends::annotate(entryAt(seconds), now, file));
            walls.push_back(double(wall.nsecsElapsed()) / 1e6);
            const double before = processorSeconds();
            QThread::msleep(2000);
            after.push_back((processorSeconds() - before) * 1000);
            const QJsonObject window = outcome.providers[0].toObject().value("windows").toArray()[0].toObject();
            outlook = window.value("outlook").toString("none") +
                      (outcome.notice.isEmpty() ? QString() : QStringLiteral(" (set aside)"));
        }
        std::printf("%s: step %.0f ms (%.0f–%.0f), processor time in the 2 s after it %.0f ms, forecast %s\n",
                    crafted.name, median(walls), *std::min_element(walls.begin(), walls.end()),
                    *std::max_element(walls.begin(), walls.end()), median(after), qPrintable(outlook));
    }
    std::printf("peak memory: %ld MB\n", peakMegabytes());
    return 0;
}
