// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"
#include "render/PageRenderer.h"
#include "render/ThemeFile.h"

#include <QApplication>
#include <QCoro/QCoroTask>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

const QStringList themeKeys = {QStringLiteral("mono-light"), QStringLiteral("mono-dark"),
                               QStringLiteral("colour-light"), QStringLiteral("colour-dark")};

int distinctColours(const QImage &image, int limit)
{
    QSet<QRgb> seen;
    for (int y = 0; y < image.height() && seen.size() < limit; y += 3) {
        for (int x = 0; x < image.width() && seen.size() < limit; x += 3)
            seen.insert(image.pixel(x, y));
    }
    return int(seen.size());
}

int blackInColumn(const QImage &panel, int x, int top, int bottom)
{
    int count = 0;
    for (int y = top; y < bottom; ++y)
        count += panel.pixelColor(x, y).red() == 0 ? 1 : 0;
    return count;
}

QString documentWithPages(const QJsonArray &pages)
{
    QJsonObject document =
        QJsonDocument::fromJson(TestSupport::fixture(QStringLiteral("render/missing.json"))).object();
    document.insert(QStringLiteral("pages"), pages);
    return QString::fromUtf8(QJsonDocument(document).toJson(QJsonDocument::Compact));
}

QJsonObject page(const QString &layout, const QJsonArray &slotIds)
{
    return QJsonObject{{QStringLiteral("layout"), layout}, {QStringLiteral("slots"), slotIds}};
}

} // namespace

// Draws every page of every fixture document through the shipped page view in the preview
// and panel modes, and fails on any script error the page view reports.
class TestPageView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void everyFixturePageDrawsWithoutScriptErrors_data();
    void everyFixturePageDrawsWithoutScriptErrors();
    void slotsSitOnThePageGeometry_data();
    void slotsSitOnThePageGeometry();
    void pageOutsideTheDocumentIsCalm();

private:
    QImage render(const QString &dataJson, int page, const QString &mode, const std::optional<QString> &theme);

    std::unique_ptr<PageRenderer> m_renderer;
    QStringList m_errors;
    QJsonObject m_themes;
};

void TestPageView::initTestCase()
{
    m_renderer = std::make_unique<PageRenderer>(QStringLiteral(TESSARINE_TEST_VIEWS));
    connect(m_renderer.get(), &PageRenderer::consoleMessage, this,
            [this](QWebEnginePage::JavaScriptConsoleMessageLevel level, const QString &message, int line,
                   const QString &source) {
                if (level == QWebEnginePage::ErrorMessageLevel)
                    m_errors << QStringLiteral("%1:%2: %3").arg(source).arg(line).arg(message);
            });
    m_themes = ThemeFile::read(QStringLiteral(TESSARINE_TEST_VIEWS));
    for (const QString &key : themeKeys)
        QVERIFY2(m_themes.value(key).isObject(), qPrintable(key));
}

QImage TestPageView::render(const QString &dataJson, int page, const QString &mode, const std::optional<QString> &theme)
{
    m_errors.clear();
    return QCoro::waitFor(m_renderer->render(dataJson, page, mode, theme, 1));
}

void TestPageView::everyFixturePageDrawsWithoutScriptErrors_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<int>("page");
    const QDir fixtures(TestSupport::fixturePath(QStringLiteral("render")));
    const QStringList files = fixtures.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    QVERIFY(files.size() >= 4);
    for (const QString &file : files) {
        const QJsonDocument document = QJsonDocument::fromJson(TestSupport::readFile(fixtures.filePath(file)));
        const int pages = int(document.object().value(QStringLiteral("pages")).toArray().size());
        QVERIFY2(pages > 0, qPrintable(file));
        for (int i = 0; i < pages; ++i)
            QTest::addRow("%s page %d", qPrintable(file), i) << fixtures.filePath(file) << i;
    }
}

void TestPageView::everyFixturePageDrawsWithoutScriptErrors()
{
    QFETCH(QString, fixture);
    QFETCH(int, page);
    const QString data = QString::fromUtf8(TestSupport::readFile(fixture));
    // Each page in one of the four themes (in turn) and on the panel.
    const QString themeKey = themeKeys.at(page % themeKeys.size());
    const QString look = themeKey.section(QLatin1Char('-'), 0, 0);
    const bool dark = themeKey.endsWith(QStringLiteral("dark"));

    const QImage preview = render(data, page, QStringLiteral("preview"), ThemeFile::themeJson(m_themes, look, dark));
    QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join(QLatin1Char('\n'))));
    QVERIFY2(distinctColours(preview, 8) >= 8, "the page view drew (almost) nothing");

    const QImage panel = render(data, page, QStringLiteral("panel"), std::nullopt);
    QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join(QLatin1Char('\n'))));
    QCOMPARE(distinctColours(panel, 3), 2);
}

void TestPageView::slotsSitOnThePageGeometry_data()
{
    // Empty slots draw a border exactly on their rectangle: 40 in from the sides, 74 between
    // columns, from 96 to 454.
    QTest::addColumn<QString>("layout");
    QTest::addColumn<int>("slotCount");
    QTest::addColumn<QList<int>>("edges");
    QTest::newRow("full") << QStringLiteral("full") << 1 << QList<int>{40, 1319};
    QTest::newRow("halves") << QStringLiteral("halves") << 2 << QList<int>{40, 642, 717, 1319};
    QTest::newRow("twoThirdsLeft") << QStringLiteral("twoThirdsLeft") << 2 << QList<int>{40, 843, 918, 1319};
}

void TestPageView::slotsSitOnThePageGeometry()
{
    QFETCH(QString, layout);
    QFETCH(int, slotCount);
    QFETCH(QList<int>, edges);
    QJsonArray slotIds;
    for (int i = 0; i < slotCount; ++i)
        slotIds.append(QJsonValue::Null);
    const QImage panel = render(documentWithPages({page(layout, slotIds)}), 0, QStringLiteral("panel"), std::nullopt);
    QVERIFY(m_errors.isEmpty());
    for (int edge : edges) {
        QString around;
        for (int x = edge - 3; x <= edge + 3; ++x)
            around += QStringLiteral(" %1:%2").arg(x).arg(blackInColumn(panel, x, 96, 454));
        QVERIFY2(blackInColumn(panel, edge, 96, 454) > 150,
                 qPrintable(QStringLiteral("edge at %1:").arg(edge) + around));
        const int outside = edges.indexOf(edge) % 2 == 0 ? edge - 3 : edge + 3;
        QCOMPARE(blackInColumn(panel, outside, 96, 454), 0);
    }
    // Nothing is drawn below the slots.
    for (int x = 0; x < 1360; x += 7)
        QCOMPARE(blackInColumn(panel, x, 456, 480), 0);
}

void TestPageView::pageOutsideTheDocumentIsCalm()
{
    const QString data = documentWithPages({page(QStringLiteral("full"), {QStringLiteral("countdown")})});
    const QImage picture = render(data, 5, QStringLiteral("preview"), std::nullopt);
    QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join(QLatin1Char('\n'))));
    QVERIFY(distinctColours(picture, 4) >= 4);
    render(QStringLiteral("{\"pages\": 7}"), 0, QStringLiteral("panel"), std::nullopt);
    QVERIFY2(m_errors.isEmpty(), qPrintable(m_errors.join(QLatin1Char('\n'))));
}

int main(int argc, char **argv)
{
    PageRenderer::prepareEnvironment();
    QApplication app(argc, argv);
    TestPageView test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestPageView.moc"
