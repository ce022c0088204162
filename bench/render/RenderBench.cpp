// Times PageRenderer on the five starting pages of the shipped catalogue, filled from the full
// fixture document, as the refresh draws them: scale 3 with a theme, and the panel picture. For
// each it prints the median of the render alone and of the render plus PNG encoding, which is
// what one picture on disk costs.
//
//   bench_render [rounds]      (default 5; one warm-up round first, not counted)

#include "kit/UserError.h"
#include "render/PageRenderer.h"
#include "render/PngEncoder.h"
#include "render/ThemeFile.h"

#include <QApplication>
#include <QCoro/QCoroTask>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>
#include <algorithm>
#include <cstdio>
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
};

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
        QElapsedTimer clock;
        clock.start();
        const QImage picture = co_await renderer.render(data, page, mode, theme, scale);
        const double rendered = clock.nsecsElapsed() / 1e6;
        const QByteArray png = PngEncoder::encode(picture);
        const double encoded = clock.nsecsElapsed() / 1e6;
        if (png.isEmpty())
            std::fprintf(stderr, "page %d could not be encoded\n", page);
        if (counted) {
            timings.render.push_back(rendered);
            timings.withPng.push_back(encoded);
        }
    }
}

QCoro::Task<int> runBenchmark(int rounds)
{
    PageRenderer renderer(viewsDir);
    const QString data = benchDocument();
    const std::optional<QString> theme =
        ThemeFile::themeJson(ThemeFile::read(viewsDir), QStringLiteral("colour"), false);
    Timings preview;
    Timings panel;
    try {
        for (int round = 0; round <= rounds; ++round) {
            const bool counted = round > 0;
            co_await timePictures(renderer, data, QStringLiteral("preview"), theme, 3, counted, preview);
            co_await timePictures(renderer, data, QStringLiteral("panel"), std::nullopt, 1, counted, panel);
        }
    } catch (const UserError &error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        co_return 1;
    }
    std::printf("pictures: %zu at scale 3, %zu panel (five starting pages, %d rounds)\n", preview.render.size(),
                panel.render.size(), rounds);
    std::printf("scale 3 picture: median %.1f ms rendered, %.1f ms with PNG encoding (target 150 ms)\n",
                median(preview.render), median(preview.withPng));
    std::printf("panel picture:   median %.1f ms rendered, %.1f ms with PNG encoding (target 60 ms)\n",
                median(panel.render), median(panel.withPng));
    co_return 0;
}

} // namespace

int main(int argc, char **argv)
{
    PageRenderer::prepareEnvironment(PageRenderer::Platform::AlwaysOffscreen);
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 5;
    int status = 1;
    QTimer::singleShot(0, &app, [&] {
        QCoro::connect(runBenchmark(rounds), &app, [&](int result) {
            status = result;
            app.quit();
        });
    });
    app.exec();
    return status;
}
