// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Result
{
    int status = -1;
    QByteArray errors;
};

bool onlyBlackAndWhite(const QImage &image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    for (int y = 0; y < grey.height(); ++y) {
        const uchar *row = grey.constScanLine(y);
        for (int x = 0; x < grey.width(); ++x) {
            if (row[x] != 0 && row[x] != 255)
                return false;
        }
    }
    return true;
}

} // namespace

// `tessarine render` run as a program, as the gallery and people looking at pages run it.
class TestRenderCommand : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void onePageInEachLook_data();
    void onePageInEachLook();
    void everyPageUnderTheCardsNames();
    void refusals_data();
    void refusals();

private:
    Result run(const QStringList &arguments);
    QString twoPageDocument();

    std::unique_ptr<QTemporaryDir> m_out;
};

void TestRenderCommand::init()
{
    m_out = std::make_unique<QTemporaryDir>();
}

Result TestRenderCommand::run(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(TESSARINE_BINARY), QStringList{QStringLiteral("render")} + arguments);
    if (!process.waitForFinished(120000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardError()};
}

QString TestRenderCommand::twoPageDocument()
{
    QJsonObject document =
        QJsonDocument::fromJson(TestSupport::fixture(QStringLiteral("render/missing.json"))).object();
    document.insert(QStringLiteral("pages"),
                    QJsonArray{QJsonObject{{"layout", "full"}, {"slots", QJsonArray{"countdown"}}},
                               QJsonObject{{"layout", "halves"}, {"slots", QJsonArray{"today.date", QJsonValue()}}}});
    const QString path = m_out->filePath(QStringLiteral("two-pages.json"));
    TestSupport::writeFile(path, QJsonDocument(document).toJson());
    return path;
}

void TestRenderCommand::onePageInEachLook_data()
{
    QTest::addColumn<QStringList>("look");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QColor>("paper"); // invalid: the panel, checked for black and white instead

    QTest::newRow("colour dark at scale 1")
        << QStringList{"--look", "colour", "--dark", "--scale", "1"} << QSize(1360, 480) << QColor(0x14, 0x16, 0x1a);
    QTest::newRow("mono light at the card's scale")
        << QStringList{"--look", "mono"} << QSize(4080, 1440) << QColor(0xf3, 0xf3, 0xf1);
    QTest::newRow("panel, whatever the scale")
        << QStringList{"--look", "panel", "--scale", "4"} << QSize(1360, 480) << QColor();
}

void TestRenderCommand::onePageInEachLook()
{
    QFETCH(QStringList, look);
    QFETCH(QSize, size);
    QFETCH(QColor, paper);
    const QString out = m_out->filePath(QStringLiteral("page.png"));
    const Result result = run(QStringList{"--data", TestSupport::fixturePath(QStringLiteral("render/full.json")),
                                          "--page", "3", "--out", out} +
                              look);
    QVERIFY2(result.status == 0, result.errors.constData());
    QVERIFY2(result.errors.isEmpty(), result.errors.constData());
    const QImage picture(out);
    QCOMPARE(picture.size(), size);
    if (paper.isValid())
        QCOMPARE(picture.pixelColor(4, 4), paper); // the theme of the look reached the page
    else
        QVERIFY(onlyBlackAndWhite(picture));
}

void TestRenderCommand::everyPageUnderTheCardsNames()
{
    const QString folder = m_out->filePath(QStringLiteral("pages"));
    const Result result = run(
        {"--data", twoPageDocument(), "--page", "all", "--look", "mono", "--dark", "--scale", "1", "--out", folder});
    QVERIFY2(result.status == 0, result.errors.constData());
    QCOMPARE(QDir(folder).entryList(QDir::Files, QDir::Name),
             (QStringList{"page0-mono-dark.png", "page1-mono-dark.png"}));
    QCOMPARE(QImage(folder + QStringLiteral("/page1-mono-dark.png")).size(), QSize(1360, 480));
}

void TestRenderCommand::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("message");

    QTest::newRow("page outside the document")
        << QStringList{"--page", "2", "--look", "mono"} << 1 << QByteArray("page 2 is not one of them");
    QTest::newRow("unknown look") << QStringList{"--page", "0", "--look", "sepia"} << 2
                                  << QByteArray("--look is mono, colour or panel");
    QTest::newRow("no such data file") << QStringList{"--page", "0", "--look", "mono", "--data", "/nonexistent.json"}
                                       << 1 << QByteArray("cannot read /nonexistent.json");
}

void TestRenderCommand::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QByteArray, message);
    const QString out = m_out->filePath(QStringLiteral("page.png"));
    const QStringList data =
        arguments.contains(QStringLiteral("--data")) ? QStringList() : QStringList{"--data", twoPageDocument()};
    const Result result = run(data + arguments + QStringList{"--out", out});
    QCOMPARE(result.status, status);
    QVERIFY2(result.errors.contains(message), result.errors.constData());
    QVERIFY(!QFile::exists(out));
}

QTEST_GUILESS_MAIN(TestRenderCommand)
#include "TestRenderCommand.moc"
