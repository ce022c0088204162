// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"
#include "kit/ScreenLook.h"
#include "render/PictureFile.h"
#include "render/PngEncoder.h"
#include "render/RenderCommand.h"
#include "render/ThemeFile.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

// The files around the renderer: PNG encoding and atomic writing, the themes file, the
// shipped logos and the render command's arguments.
class TestRenderFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void pngRoundTrip_data();
    void pngRoundTrip();
    void pictureFileReplacesAtomically();
    void pictureFileReportsFailure();
    void themeFileReading_data();
    void themeFileReading();
    void shippedThemesHaveEveryLook();
    void logosExistInTheLookedUpForms();
    void pageViewMarksMatchTheLogoFiles();
    void renderArguments_data();
    void renderArguments();
    void renderFileNames();
};

void TestRenderFiles::pngRoundTrip_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<bool>("alpha");

    QImage translucent(37, 11, QImage::Format_ARGB32_Premultiplied);
    translucent.fill(Qt::transparent);
    for (int x = 0; x < 37; ++x)
        translucent.setPixelColor(x, x % 11, QColor(x * 6, 255 - x * 6, 90, 40 + x * 5));
    QImage opaque(20, 9, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 20; ++x)
            opaque.setPixelColor(x, y, QColor(x * 12, y * 25, 200));
    QImage grey(13, 7, QImage::Format_Grayscale8);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            grey.setPixelColor(x, y, QColor(x * 19, x * 19, x * 19));

    // Large enough to be compressed in several bands.
    QImage large(1200, 900, QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < 900; ++y)
        for (int x = 0; x < 1200; ++x)
            large.setPixelColor(x, y, QColor((x * 7 + y) % 256, (y * 3) % 256, (x ^ y) % 256));

    QTest::newRow("translucent") << translucent << true;
    QTest::newRow("large, in bands") << large << false;
    QTest::newRow("opaque") << opaque << false;
    QTest::newRow("grey") << grey << false;
}

void TestRenderFiles::pngRoundTrip()
{
    QFETCH(QImage, image);
    QFETCH(bool, alpha);
    const QByteArray png = PngEncoder::encode(image);
    QVERIFY(png.startsWith("\x89PNG\r\n\x1a\n"));
    const QImage decoded = QImage::fromData(png, "PNG");
    QVERIFY(!decoded.isNull());
    QCOMPARE(decoded.size(), image.size());
    QCOMPARE(decoded.hasAlphaChannel(), alpha);
    const QImage expected = image.convertToFormat(QImage::Format_ARGB32);
    const QImage actual = decoded.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            // Premultiplied input loses a little precision in faint pixels; one step is fine.
            const QColor e = expected.pixelColor(x, y);
            const QColor a = actual.pixelColor(x, y);
            QCOMPARE(a.alpha(), e.alpha());
            QVERIFY2(qAbs(a.red() - e.red()) <= 1 && qAbs(a.green() - e.green()) <= 1 && qAbs(a.blue() - e.blue()) <= 1,
                     qPrintable(QStringLiteral("pixel %1,%2").arg(x).arg(y)));
        }
    }
    QVERIFY(PngEncoder::encode(QImage()).isEmpty());
}

void TestRenderFiles::pictureFileReplacesAtomically()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("page0.png"));
    TestSupport::writeFile(path, "old picture");
    QImage picture(8, 4, QImage::Format_Grayscale8);
    picture.fill(255);
    QString error;
    QVERIFY(PictureFile::write(picture, path, &error));
    QCOMPARE(QImage(path).size(), QSize(8, 4));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("page0.png")});
}

void TestRenderFiles::pictureFileReportsFailure()
{
    QTemporaryDir dir;
    QImage picture(8, 4, QImage::Format_Grayscale8);
    picture.fill(0);
    QString error;
    QVERIFY(!PictureFile::write(picture, dir.filePath(QStringLiteral("missing/dir/page0.png")), &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!PictureFile::write(QImage(), dir.filePath(QStringLiteral("page1.png")), &error));
    QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("page1.png"))));
}

void TestRenderFiles::themeFileReading_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("look");
    QTest::addColumn<bool>("dark");
    QTest::addColumn<std::optional<QString>>("expected");

    const QByteArray themes = R"({"mono-light": {"paper": "#fff"}, "colour-dark": null, "mono-dark": [1, 2]})";
    QTest::newRow("member as compact JSON")
        << themes << QStringLiteral("mono") << false << std::optional<QString>(QStringLiteral("{\"paper\":\"#fff\"}"));
    QTest::newRow("missing member") << themes << QStringLiteral("colour") << false << std::optional<QString>();
    QTest::newRow("null member passes null")
        << themes << QStringLiteral("colour") << true << std::optional<QString>(QStringLiteral("null"));
    QTest::newRow("other JSON passes through")
        << themes << QStringLiteral("mono") << true << std::optional<QString>(QStringLiteral("[1,2]"));
    QTest::newRow("not an object") << QByteArray("[1]") << QStringLiteral("mono") << false << std::optional<QString>();
    QTest::newRow("not JSON") << QByteArray("{broken") << QStringLiteral("mono") << false << std::optional<QString>();
    QTest::newRow("no file") << QByteArray() << QStringLiteral("mono") << false << std::optional<QString>();
}

void TestRenderFiles::themeFileReading()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, look);
    QFETCH(bool, dark);
    QFETCH(std::optional<QString>, expected);
    QTemporaryDir dir;
    if (!file.isEmpty())
        TestSupport::writeFile(dir.filePath(QStringLiteral("themes.json")), file);
    QCOMPARE(ThemeFile::themeJson(ThemeFile::read(dir.path()), look, dark), expected);
}

void TestRenderFiles::shippedThemesHaveEveryLook()
{
    const QJsonObject themes = ThemeFile::read(QStringLiteral(TESSARINE_TEST_VIEWS));
    // A theme for each appearance of each look drawn in themes, and no other.
    QStringList expected;
    for (const ScreenLook look : ScreenLook::all()) {
        if (look.drawing() == ScreenLook::Drawing::Themed)
            expected << look.name() + QStringLiteral("-dark") << look.name() + QStringLiteral("-light");
    }
    expected.sort();
    QCOMPARE(themes.keys(), expected);
    const QRegularExpression colour(QStringLiteral("^#[0-9a-f]{6}$"));
    for (const QString &key : themes.keys()) {
        const QJsonObject colours = themes.value(key).toObject().value(QStringLiteral("colours")).toObject();
        QVERIFY2(colours.size() > 10, qPrintable(key));
        QCOMPARE(themes.value(key).toObject().value(QStringLiteral("appearance")).toString(),
                 key.section(QLatin1Char('-'), 1));
        for (const QString &name : colours.keys()) {
            const QJsonValue value = colours.value(name);
            const QJsonArray values = value.isArray() ? value.toArray() : QJsonArray{value};
            for (const QJsonValue &v : values)
                QVERIFY2(colour.match(v.toString()).hasMatch(), qPrintable(key + QLatin1Char(' ') + name));
        }
    }
    // Mono is greyscale: every colour has equal or near-equal channels.
    for (const QString &key : {QStringLiteral("mono-light"), QStringLiteral("mono-dark")}) {
        const QJsonObject colours = themes.value(key).toObject().value(QStringLiteral("colours")).toObject();
        for (const QString &name : colours.keys()) {
            const QJsonValue value = colours.value(name);
            const QJsonArray values = value.isArray() ? value.toArray() : QJsonArray{value};
            for (const QJsonValue &v : values) {
                const QColor c(v.toString());
                QVERIFY2(qAbs(c.red() - c.blue()) <= 8 && qAbs(c.green() - c.blue()) <= 8,
                         qPrintable(key + QLatin1Char(' ') + name));
            }
        }
    }
}

void TestRenderFiles::logosExistInTheLookedUpForms()
{
    // Looked up as <logo>-color.svg, <logo>.png, <logo>.svg; the providers' logos are checked
    // with their rows (TestProviders).
    const QDir logos(QStringLiteral(TESSARINE_TEST_RESOURCES "/logos"));
    QVERIFY(TestSupport::readFile(logos.filePath(QStringLiteral("github.svg"))).contains("<svg"));
    QVERIFY(TestSupport::readFile(logos.filePath(QStringLiteral("github-color.svg"))).contains("<svg"));
}

void TestRenderFiles::pageViewMarksMatchTheLogoFiles()
{
    // The page view draws the logos from marks.js; the files hold the same marks for the
    // connections window and the welcome flow.
    // The formatter writes the marks as double-quoted strings with their quotes escaped, a long
    // one on the line after its name.
    const QString marks = QString::fromUtf8(TestSupport::readFile(QStringLiteral(TESSARINE_TEST_VIEWS "/marks.js")))
                              .replace(QStringLiteral("\\\""), QStringLiteral("\""))
                              .replace(QRegularExpression(QStringLiteral(":\\s+\"")), QStringLiteral(": \""));
    const QRegularExpression inner(QStringLiteral("<svg[^>]*>\\s*(.*?)\\s*</svg>"),
                                   QRegularExpression::DotMatchesEverythingOption);
    const QDir logos(QStringLiteral(TESSARINE_TEST_RESOURCES "/logos"));
    const QStringList files = logos.entryList({QStringLiteral("*.svg")}, QDir::Files);
    QCOMPARE(files.size(), 11);
    for (const QString &file : files) {
        const QString name = file.section(QLatin1Char('.'), 0, 0).section(QLatin1Char('-'), 0, 0);
        const QRegularExpressionMatch match =
            inner.match(QString::fromUtf8(TestSupport::readFile(logos.filePath(file))));
        QVERIFY2(match.hasMatch(), qPrintable(file));
        const QString entry = name + QStringLiteral(": \"") + match.captured(1) + QLatin1Char('"');
        QVERIFY2(marks.contains(entry), qPrintable(file + QStringLiteral(" differs from marks.js")));
    }
}

void TestRenderFiles::renderArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<int>("page"); // -1: every page
    QTest::addColumn<bool>("dark");
    QTest::addColumn<int>("scale");

    QTest::newRow("one page") << QStringList{"--data", "d.json", "--page", "2", "--look", "colour", "--out", "p.png"}
                              << true << 2 << false << 3;
    QTest::newRow("dark, any order") << QStringList{"--out",  "p.png", "--dark", "--look", "mono",
                                                    "--page", "0",     "--data", "d.json"}
                                     << true << 0 << true << 3;
    QTest::newRow("scale given") << QStringList{"--data", "d",       "--page", "1",     "--look",
                                                "mono",   "--scale", "1",      "--out", "p"}
                                 << true << 1 << false << 1;
    QTest::newRow("every page") << QStringList{"--data", "d.json", "--page", "all", "--look", "panel", "--out", "dir"}
                                << true << -1 << false << 3;
    QTest::newRow("unknown look") << QStringList{"--data", "d", "--page", "0", "--look", "sepia", "--out", "p"} << false
                                  << 0 << false << 3;
    QTest::newRow("negative page") << QStringList{"--data", "d", "--page", "-1", "--look", "mono", "--out", "p"}
                                   << false << 0 << false << 3;
    QTest::newRow("scale out of range") << QStringList{"--data", "d",       "--page", "0",     "--look",
                                                       "mono",   "--scale", "9",      "--out", "p"}
                                        << false << 0 << false << 3;
    QTest::newRow("scale not a number") << QStringList{"--data", "d",       "--page", "0",     "--look",
                                                       "mono",   "--scale", "x",      "--out", "p"}
                                        << false << 0 << false << 3;
    QTest::newRow("missing out") << QStringList{"--data", "d", "--page", "0", "--look", "mono"} << false << 0 << false
                                 << 3;
    QTest::newRow("value missing") << QStringList{"--data", "d", "--page"} << false << 0 << false << 3;
    QTest::newRow("stray argument") << QStringList{"--data", "d", "--page", "0", "--look", "mono", "--out", "p", "x"}
                                    << false << 0 << false << 3;
    QTest::newRow("scale out of range") << QStringList{"--data", "d",       "--page", "0",     "--look",
                                                       "mono",   "--scale", "9",      "--out", "p"}
                                        << false << 0 << false << 3;
    QTest::newRow("scale not a number") << QStringList{"--data", "d",       "--page", "0",     "--look",
                                                       "mono",   "--scale", "x",      "--out", "p"}
                                        << false << 0 << false << 3;
}

void TestRenderFiles::renderArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, valid);
    QFETCH(int, page);
    QFETCH(bool, dark);
    QFETCH(int, scale);
    QString error;
    const auto options = RenderCommand::parse(arguments, &error);
    QCOMPARE(options.has_value(), valid);
    if (!valid) {
        QVERIFY(!error.isEmpty());
        return;
    }
    QCOMPARE(options->page.value_or(-1), page);
    QCOMPARE(options->dark, dark);
    QCOMPARE(options->scale, scale);
}

void TestRenderFiles::renderFileNames()
{
    QCOMPARE(RenderCommand::fileName(0, QStringLiteral("mono"), true), QStringLiteral("page0-mono-dark.png"));
    QCOMPARE(RenderCommand::fileName(3, QStringLiteral("colour"), false), QStringLiteral("page3-colour-light.png"));
    QCOMPARE(RenderCommand::fileName(1, QStringLiteral("panel"), true), QStringLiteral("page1.png"));
}

QTEST_GUILESS_MAIN(TestRenderFiles)
#include "TestRenderFiles.moc"
