// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"
#include "kit/Problem.h"
#include "render/PageRenderer.h"
#include "render/PanelPicture.h"

#include <QApplication>
#include <QCoro/QCoroTask>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A page view that paints its canvas in the theme's colour (green without a theme) and then
// declares itself ready, so the injected global can be seen in the picture.
const QByteArray themedPage = R"(<!DOCTYPE html><html><head><style>
html, body { margin: 0; width: 1360px; height: 480px; background: transparent; }
#c { position: absolute; left: 0; top: 0; width: 1360px; height: 480px; }
</style></head><body><div id="c"></div><script>
const t = window.TESSARINE;
document.getElementById("c").style.background = t.theme ? t.theme.paper : "#00ff00";
if (t.mode === "panel" && t.page === 2 && t.scale === 1) document.getElementById("c").style.background = "#8c8c8c";
requestAnimationFrame(() => requestAnimationFrame(() => { document.body.dataset.ready = "1"; }));
</script></body></html>)";

// Paints red but never becomes ready.
const QByteArray neverReadyPage = R"(<!DOCTYPE html><html><body style="margin:0;background:#ff0000">
<script>window.addEventListener("load", () => {});</script></body></html>)";

QImage grey(int value, QSize size = QSize(1360, 480))
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(QColor(value, value, value));
    return image;
}

// QCoro::waitFor never returns from a task that throws, so the error is caught inside.
QCoro::Task<QString> renderError(PageRenderer &renderer)
{
    try {
        co_await renderer.render(QStringLiteral("{}"), 0, QStringLiteral("preview"), std::nullopt, 1);
    } catch (const Problem &error) {
        co_return error.message();
    }
    co_return QString();
}

bool onlyBlackAndWhite(const QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        const uchar *row = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (row[x] != 0 && row[x] != 255)
                return false;
        }
    }
    return true;
}

} // namespace

class TestPageRenderer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void injectedScript_data();
    void injectedScript();
    void oneBitThreshold_data();
    void oneBitThreshold();
    void oneBitSizeAndPaper();
    void pictureSize_data();
    void pictureSize();
    void themeAndModeReachThePage();
    void neverReadyStillGivesPicture();
    void missingPageViewThrows();
    void rendersQueueOneAfterAnother();

private:
    QString writeViews(const QByteArray &page);
    QImage render(PageRenderer &renderer, const QString &mode, std::optional<QString> theme, int scale, int page = 0);

    QTemporaryDir m_scratch;
    int m_viewsCount = 0;
};

void TestPageRenderer::initTestCase()
{
    QVERIFY(m_scratch.isValid());
}

QString TestPageRenderer::writeViews(const QByteArray &page)
{
    const QString dir = m_scratch.filePath(QStringLiteral("views%1").arg(++m_viewsCount));
    TestSupport::writeFile(dir + QStringLiteral("/page.html"), page);
    return dir;
}

QImage TestPageRenderer::render(PageRenderer &renderer, const QString &mode, std::optional<QString> theme, int scale,
                                int page)
{
    return QCoro::waitFor(renderer.render(QStringLiteral("{\"pages\":[]}"), page, mode, theme, scale));
}

void TestPageRenderer::injectedScript_data()
{
    QTest::addColumn<QString>("data");
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("mode");
    QTest::addColumn<std::optional<QString>>("theme");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QString>("expected");

    QTest::newRow("no theme is null") << QStringLiteral("{\"a\":1}") << 0 << QStringLiteral("preview")
                                      << std::optional<QString>() << 3
                                      << QStringLiteral("window.TESSARINE = { data: {\"a\":1}, mode: \"preview\", "
                                                        "theme: null, page: 0, scale: 3 };");
    QTest::newRow("theme as given") << QStringLiteral("{}") << 4 << QStringLiteral("panel")
                                    << std::optional<QString>(QStringLiteral("{\"paper\":\"#fff\"}")) << 1
                                    << QStringLiteral("window.TESSARINE = { data: {}, mode: \"panel\", "
                                                      "theme: {\"paper\":\"#fff\"}, page: 4, scale: 1 };");
    QTest::newRow("other modes pass through")
        << QStringLiteral("null") << 12 << QStringLiteral("print") << std::optional<QString>() << 2
        << QStringLiteral("window.TESSARINE = { data: null, mode: \"print\", "
                          "theme: null, page: 12, scale: 2 };");
}

void TestPageRenderer::injectedScript()
{
    QFETCH(QString, data);
    QFETCH(int, page);
    QFETCH(QString, mode);
    QFETCH(std::optional<QString>, theme);
    QFETCH(int, scale);
    QFETCH(QString, expected);
    QCOMPARE(PageRenderer::injectedScript(data, page, mode, theme, scale), expected);
}

void TestPageRenderer::oneBitThreshold_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("expected");
    QTest::newRow("black") << 0 << 0;
    QTest::newRow("139") << 139 << 0;
    QTest::newRow("140 is black") << 140 << 0;
    QTest::newRow("141 is white") << 141 << 255;
    QTest::newRow("white") << 255 << 255;
}

void TestPageRenderer::oneBitThreshold()
{
    QFETCH(int, value);
    QFETCH(int, expected);
    const QImage panel = PanelPicture::fromSnapshot(grey(value));
    QCOMPARE(panel.format(), QImage::Format_Grayscale8);
    QCOMPARE(panel.pixelColor(0, 0).red(), expected);
    QCOMPARE(panel.pixelColor(1359, 479).red(), expected);
}

void TestPageRenderer::oneBitSizeAndPaper()
{
    // A larger snapshot is brought to panel size; transparent parts are white paper.
    QImage snapshot(4080, 1440, QImage::Format_ARGB32_Premultiplied);
    snapshot.fill(Qt::transparent);
    for (int y = 0; y < 1440; ++y)
        snapshot.setPixelColor(0, y, Qt::black);
    const QImage panel = PanelPicture::fromSnapshot(snapshot);
    QCOMPARE(panel.size(), QSize(1360, 480));
    QCOMPARE(panel.pixelColor(700, 200).red(), 255);
    QVERIFY(onlyBlackAndWhite(panel));

    QVERIFY(PanelPicture::fromSnapshot(QImage()).isNull());
}

void TestPageRenderer::pictureSize_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QSize>("size");
    QTest::newRow("preview at 3") << QStringLiteral("preview") << 3 << QSize(4080, 1440);
    QTest::newRow("preview at 1") << QStringLiteral("preview") << 1 << QSize(1360, 480);
    QTest::newRow("panel at 1") << QStringLiteral("panel") << 1 << QSize(1360, 480);
    QTest::newRow("panel ignores the scale") << QStringLiteral("panel") << 3 << QSize(1360, 480);
}

void TestPageRenderer::pictureSize()
{
    QFETCH(QString, mode);
    QFETCH(int, scale);
    QFETCH(QSize, size);
    PageRenderer renderer(writeViews(themedPage));
    const QImage picture = render(renderer, mode, std::nullopt, scale);
    QCOMPARE(picture.size(), size);
    if (mode == QStringLiteral("panel")) {
        QCOMPARE(picture.format(), QImage::Format_Grayscale8);
        QVERIFY(onlyBlackAndWhite(picture));
    } else {
        QVERIFY(picture.hasAlphaChannel());
        QCOMPARE(picture.pixelColor(size.width() / 2, size.height() / 2), QColor(0, 255, 0));
    }
}

void TestPageRenderer::themeAndModeReachThePage()
{
    PageRenderer renderer(writeViews(themedPage));
    const QImage themed = render(renderer, QStringLiteral("preview"), QStringLiteral("{\"paper\":\"#123456\"}"), 1);
    QCOMPARE(themed.pixelColor(10, 10), QColor(0x12, 0x34, 0x56));

    // Mode, page and scale arrive as a string and numbers: grey 140 on the panel is black.
    const QImage panel = render(renderer, QStringLiteral("panel"), std::nullopt, 1, 2);
    QCOMPARE(panel.pixelColor(10, 10).red(), 0);
    const QImage otherPage = render(renderer, QStringLiteral("panel"), std::nullopt, 1, 1);
    QCOMPARE(otherPage.pixelColor(10, 10).red(), 255);
}

void TestPageRenderer::neverReadyStillGivesPicture()
{
    PageRenderer renderer(writeViews(neverReadyPage));
    const QImage picture = render(renderer, QStringLiteral("preview"), std::nullopt, 1);
    QCOMPARE(picture.size(), QSize(1360, 480));
    QCOMPARE(picture.pixelColor(600, 300), QColor(255, 0, 0));
}

void TestPageRenderer::missingPageViewThrows()
{
    PageRenderer renderer(m_scratch.filePath(QStringLiteral("no-views-here")));
    const QString error = QCoro::waitFor(renderError(renderer));
    QVERIFY2(error.contains(QStringLiteral("page.html")), qPrintable(error));

    // The renderer is still usable after a failed load.
    PageRenderer again(writeViews(themedPage));
    QCOMPARE(render(again, QStringLiteral("preview"), std::nullopt, 1).size(), QSize(1360, 480));
}

void TestPageRenderer::rendersQueueOneAfterAnother()
{
    // A second render requested while one runs waits for it instead of spoiling its load.
    PageRenderer renderer(writeViews(themedPage));
    auto first = renderer.render(QStringLiteral("{}"), 0, QStringLiteral("preview"),
                                 QStringLiteral("{\"paper\":\"#0000ff\"}"), 1);
    auto second = renderer.render(QStringLiteral("{}"), 0, QStringLiteral("preview"),
                                  QStringLiteral("{\"paper\":\"#ff00ff\"}"), 1);
    const QImage secondPicture = QCoro::waitFor(std::move(second));
    const QImage firstPicture = QCoro::waitFor(std::move(first));
    QCOMPARE(firstPicture.pixelColor(5, 5), QColor(0, 0, 255));
    QCOMPARE(secondPicture.pixelColor(5, 5), QColor(255, 0, 255));
}

int main(int argc, char **argv)
{
    PageRenderer::prepareEnvironment();
    QApplication app(argc, argv);
    TestPageRenderer test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestPageRenderer.moc"
