// SPDX-License-Identifier: GPL-3.0-or-later
// Times PageRenderer on the five starting pages of the shipped catalogue, filled from the full
// fixture document, as the refresh draws them: scale 3 with a theme, and the panel picture. For
// each it prints the median of the render alone and of the render plus PNG encoding, which is
// what one picture on disk costs: with the page view kept loaded and redrawn, as the renderer
// process draws a refresh, and with "page.html" loaded afresh for every picture, as
// `tessarine render` does; and, with the page view kept loaded, each picture drawn while a worker
// thread encodes the one before, as the renderer process does. Processor time is that of this
// process and the web engine's.
//
//   bench_render [rounds]      (default 5; one warm-up round first, not counted)

#include "kit/Problem.h"
#include "render/PageRenderer.h"
#include "render/PngEncoder.h"
#include "render/ThemeFile.h"

#include <QApplication>
#include <QCoro/QCoroTask>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFuture>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <vector>

namespace {

const QString viewsDir = QStringLiteral(TESSARINE_BENCH_SOURCE_DIR "/views");

QJsonObject readObject(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

// The full fixture document holding the catalogue's five starting pages.
QString benchDocument()
{
    QJsonObject document = readObject(QStringLiteral(TESSARINE_BENCH_SOURCE_DIR "/tests/fixtures/render/full.json"));
    const QJsonArray pages = readObject(viewsDir + QStringLiteral("/widgets.json")).value("defaultPages").toArray();
    document.insert(QStringLiteral("pages"), pages);
    return QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Compact));
}

struct Timings
{
    std::vector<double> render;
    std::vector<double> withPng;
    std::vector<double> processor; // of the render and the encoding, all processes, in ms
};

// Processor time in seconds used so far by this process and the processes it started (the web
// engine's), read from /proc along the tree of children: on a shared machine wall time depends on
// the neighbours; this does not.
double cpuSeconds()
{
    const double ticks = double(sysconf(_SC_CLK_TCK));
    QList<QByteArray> pending{QByteArray::number(QCoreApplication::applicationPid())};
    double total = 0;
    while (!pending.isEmpty()) {
        const QByteArray pid = pending.takeLast();
        QFile stat(QStringLiteral("/proc/%1/stat").arg(QString::fromLatin1(pid)));
        if (stat.open(QIODevice::ReadOnly)) {
            // utime, stime, cutime and cstime: fields 14 to 17 of the line.
            const QByteArray line = stat.readAll();
            const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
            for (int field = 11; field <= 14 && field < fields.size(); ++field)
                total += fields.at(field).toDouble() / ticks;
        }
        const QDir tasks(QStringLiteral("/proc/%1/task").arg(QString::fromLatin1(pid)));
        for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFile children(tasks.filePath(task) + QStringLiteral("/children"));
            if (children.open(QIODevice::ReadOnly))
                pending.append(children.readAll().simplified().split(' '));
        }
        pending.removeAll(QByteArray());
    }
    return total;
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

QCoro::Task<> timePictures(PageRenderer &renderer, QString data, QString mode, std::optional<QString> theme, int scale,
                           bool counted, Timings &timings)
{
    for (int page = 0; page < 5; ++page) {
        const double cpuBefore = cpuSeconds();
        QElapsedTimer clock;
        clock.start();
        const QImage picture = co_await renderer.render(data, page, mode, theme, scale);
        const double rendered = clock.nsecsElapsed() / 1e6;
        const QByteArray png = PngEncoder::encode(picture);
        const double encoded = clock.nsecsElapsed() / 1e6;
        if (png.isEmpty())
            std::fprintf(stderr, "page %d could not be encoded\n", page);
        const double processor = (cpuSeconds() - cpuBefore) * 1000;
        if (counted) {
            timings.render.push_back(rendered);
            timings.withPng.push_back(encoded);
            timings.processor.push_back(processor);
        }
    }
}

// As the renderer process draws a refresh: each picture is drawn while a worker thread encodes
// the one before. One figure a round: the wall time of the five pictures, encoded, per picture.
QCoro::Task<> timePipeline(PageRenderer &renderer, QString data, QString mode, std::optional<QString> theme, int scale,
                           bool counted, std::vector<double> &perPicture)
{
    QElapsedTimer clock;
    clock.start();
    QFuture<QByteArray> encoding;
    for (int page = 0; page < 5; ++page) {
        QImage picture = co_await renderer.render(data, page, mode, theme, scale);
        encoding.waitForFinished();
        encoding =
            QtConcurrent::run([](QImage image) { return PngEncoder::encode(std::move(image)); }, std::move(picture));
    }
    if (encoding.result().isEmpty())
        std::fprintf(stderr, "a picture could not be encoded\n");
    if (counted)
        perPicture.push_back(clock.nsecsElapsed() / 1e6 / 5);
}

QCoro::Task<int> runBenchmark(int rounds, bool keepLoaded)
{
    PageRenderer renderer(viewsDir);
    renderer.setKeepLoaded(keepLoaded);
    const QString data = benchDocument();
    const std::optional<QString> theme =
        ThemeFile::themeJson(ThemeFile::read(viewsDir), QStringLiteral("colour"), false);
    Timings preview;
    Timings panel;
    std::vector<double> previewPipeline;
    std::vector<double> panelPipeline;
    try {
        for (int round = 0; round <= rounds; ++round) {
            const bool counted = round > 0;
            co_await timePictures(renderer, data, QStringLiteral("preview"), theme, 3, counted, preview);
            co_await timePictures(renderer, data, QStringLiteral("panel"), std::nullopt, 1, counted, panel);
            if (keepLoaded) {
                co_await timePipeline(renderer, data, QStringLiteral("preview"), theme, 3, counted, previewPipeline);
                co_await timePipeline(renderer, data, QStringLiteral("panel"), std::nullopt, 1, counted, panelPipeline);
            }
        }
    } catch (const Problem &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        co_return 1;
    }
    std::printf("%s: %zu pictures at scale 3, %zu panel (five starting pages, %d rounds)\n",
                keepLoaded ? "page view kept loaded" : "page view loaded afresh", preview.render.size(),
                panel.render.size(), rounds);
    std::printf("  scale 3 picture: median %.1f ms rendered, %.1f ms with PNG encoding (target 60 ms); "
                "processor %.0f ms\n",
                median(preview.render), median(preview.withPng), median(preview.processor));
    std::printf("  panel picture:   median %.1f ms rendered, %.1f ms with PNG encoding (target 30 ms); "
                "processor %.0f ms\n",
                median(panel.render), median(panel.withPng), median(panel.processor));
    if (keepLoaded)
        std::printf("  drawn while the one before is encoded, as the renderer process does: median %.1f ms a "
                    "scale 3 picture, %.1f ms a panel picture\n",
                    median(previewPipeline), median(panelPipeline));
    co_return 0;
}

} // namespace

int main(int argc, char **argv)
{
    PageRenderer::prepareEnvironment(PageRenderer::Platform::AlwaysOffscreen);
    // As in the renderer process and `tessarine render`.
    PageRenderer::keepPageRendererInProcess();
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5;
    int status = 1;
    QTimer::singleShot(0, &app, [&] {
        QCoro::connect(runBenchmark(rounds, true), &app, [&](int kept) {
            const double cpu = cpuSeconds();
            std::printf("  processor time: %.2f s for the whole run so far\n", cpu);
            if (kept != 0) {
                status = kept;
                app.quit();
                return;
            }
            QCoro::connect(runBenchmark(rounds, false), &app, [&, cpu](int fresh) {
                std::printf("  processor time: %.2f s for this part\n", cpuSeconds() - cpu);
                status = fresh;
                app.quit();
            });
        });
    });
    app.exec();
    return status;
}
