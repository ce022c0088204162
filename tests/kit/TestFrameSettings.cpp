// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestSupport.h"
#include "kit/FrameSettings.h"
#include "platform/JsonFile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QtTest>

namespace {

std::optional<FrameSettings> decode(const QByteArray &text)
{
    return FrameSettings::fromJson(QJsonDocument::fromJson(text).object());
}

} // namespace

class TestFrameSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodesMinimalFile();
    void pagesAbsentOrNullAreNone_data();
    void pagesAbsentOrNullAreNone();
    void rejectsBadShapes_data();
    void rejectsBadShapes();
    void encodesOnlyPresentMembers();
    void fileIsPrettyWithSortedKeysAndRoundTrips();
    void readRejectsBadFiles_data();
    void readRejectsBadFiles();
    void readRefusesOversizedFiles();
    void writeFailsCleanlyWithoutDirectory();
};

void TestFrameSettings::decodesMinimalFile()
{
    const std::optional<FrameSettings> settings = decode(R"({"providers": [], "logos": false})");
    QVERIFY(settings);
    QVERIFY(settings->providers.isEmpty());
    QCOMPARE(settings->logos, false);
    QVERIFY(!settings->pages);
    QVERIFY(!settings->countdown);
}

void TestFrameSettings::pagesAbsentOrNullAreNone_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("absent") << QByteArray(R"({"providers": ["grok", "x", "grok"], "logos": true})");
    QTest::newRow("null pages and countdown")
        << QByteArray(R"({"providers": ["grok", "x", "grok"], "logos": true, "pages": null, "countdown": null})");
}

void TestFrameSettings::pagesAbsentOrNullAreNone()
{
    QFETCH(QByteArray, json);
    const std::optional<FrameSettings> settings = decode(json);
    QVERIFY(settings);
    QVERIFY(!settings->pages);
    QVERIFY(!settings->countdown);
    // Providers are taken as stored: not filtered, deduplicated or reordered.
    QCOMPARE(settings->providers, QStringList({"grok", "x", "grok"}));
}

void TestFrameSettings::rejectsBadShapes_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("no providers") << QByteArray(R"({"logos": true})");
    QTest::newRow("no logos") << QByteArray(R"({"providers": []})");
    QTest::newRow("logos as number") << QByteArray(R"({"providers": [], "logos": 1})");
    QTest::newRow("provider not a string") << QByteArray(R"({"providers": ["claude", 3], "logos": true})");
    QTest::newRow("page without slots") << QByteArray(
        R"({"providers": [], "logos": true, "pages": [{"layout": "full"}]})");
    QTest::newRow("pages not a list") << QByteArray(R"({"providers": [], "logos": true, "pages": {}})");
    QTest::newRow("countdown without date")
        << QByteArray(R"({"providers": [], "logos": true, "countdown": {"title": "Launch"}})");
    QTest::newRow("countdown date a number")
        << QByteArray(R"({"providers": [], "logos": true, "countdown": {"title": "Launch", "date": 20270301}})");
    QTest::newRow("countdown a string") << QByteArray(R"({"providers": [], "logos": true, "countdown": "soon"})");
}

void TestFrameSettings::rejectsBadShapes()
{
    QFETCH(QByteArray, json);
    QVERIFY(!decode(json));
}

void TestFrameSettings::encodesOnlyPresentMembers()
{
    const FrameSettings bare{{QStringLiteral("claude")}, true, std::nullopt, std::nullopt};
    QCOMPARE(bare.toJson().keys(), QStringList({"logos", "providers"}));

    const FrameSettings full{
        {}, false, QList<Page>(), Countdown{QStringLiteral("Launch"), QStringLiteral("2027-03-01")}};
    const QJsonObject json = full.toJson();
    QCOMPARE(json.keys(), QStringList({"countdown", "logos", "pages", "providers"}));
    QVERIFY(json.value(u"pages").toArray().isEmpty());
    QCOMPARE(json.value(u"countdown").toObject().value(u"date").toString(), QStringLiteral("2027-03-01"));
}

void TestFrameSettings::fileIsPrettyWithSortedKeysAndRoundTrips()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("settings.json"));
    const QList<Page> pages{
        Page(QStringLiteral("halves"), {QStringLiteral("github.year"), std::nullopt}, QStringLiteral("Mine")),
        Page(QStringLiteral("full"), {QStringLiteral("plans.all")})};
    const FrameSettings settings{{QStringLiteral("codex"), QStringLiteral("claude")},
                                 true,
                                 pages,
                                 Countdown{QStringLiteral("Launch"), QStringLiteral("2027-03-01")}};
    QVERIFY(JsonFile::writePretty(path, QJsonDocument(settings.toJson())));

    const QByteArray text = TestSupport::readFile(path);
    QVERIFY(text.contains("\n    \"countdown\": {\n"));
    const auto before = [&](const char *first, const char *second) {
        return text.indexOf(first) >= 0 && text.indexOf(first) < text.indexOf(second);
    };
    QVERIFY(before("\"countdown\"", "\"logos\""));
    QVERIFY(before("\"logos\"", "\"pages\""));
    QVERIFY(before("\"pages\"", "\"providers\""));
    QVERIFY(before("\"date\"", "\"title\": \"Launch\""));
    QVERIFY(before("\"layout\": \"halves\"", "\"slots\""));
    QVERIFY(before("\"slots\"", "\"title\": \"Mine\""));
    QVERIFY(text.contains("null"));

    const std::optional<QJsonValue> read = JsonFile::read(path);
    QVERIFY(read);
    const std::optional<FrameSettings> loaded = FrameSettings::fromJson(*read);
    QVERIFY(loaded);
    QCOMPARE(loaded->providers, settings.providers);
    QCOMPARE(loaded->countdown, settings.countdown);
    QCOMPARE(loaded->pages->size(), 2);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        QVERIFY(loaded->pages->at(i).hasSameContent(pages.at(i)));
        QVERIFY(loaded->pages->at(i).id != pages.at(i).id);
    }
}

void TestFrameSettings::readRejectsBadFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not JSON") << QByteArray("providers: claude");
    QTest::newRow("truncated") << QByteArray(R"({"providers": ["claude"], "lo)");
    QTest::newRow("bare number") << QByteArray("42");
    QTest::newRow("nested thousands deep") << QByteArray(5000, '[') + QByteArray(5000, ']');
    QTest::newRow("nested objects deep") << QByteArray("{\"a\":").repeated(3000) + QByteArray(3000, '}');
}

void TestFrameSettings::readRejectsBadFiles()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bad.json"));
    QVERIFY(TestSupport::writeFile(path, bytes));
    QVERIFY(!JsonFile::read(path));
    QVERIFY(!JsonFile::read(dir.filePath(QStringLiteral("missing.json"))));
    QVERIFY(!JsonFile::read(dir.path()));
}

void TestFrameSettings::readRefusesOversizedFiles()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.json"));
    QByteArray big = "[";
    for (int i = 0; i < 200000; ++i)
        big += "\"xxxxxxxxxx\",";
    big += "0]";
    QVERIFY(TestSupport::writeFile(path, big));

    QVERIFY(JsonFile::read(path)); // a few megabytes of valid JSON are read
    QVERIFY(!JsonFile::read(path, big.size() - 1));
    QVERIFY(JsonFile::read(path, big.size()));
}

void TestFrameSettings::writeFailsCleanlyWithoutDirectory()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/settings.json"));
    QVERIFY(!JsonFile::writePretty(path, QJsonDocument(QJsonObject{{QStringLiteral("a"), 1}})));
    QVERIFY(!QFileInfo::exists(path));
}

QTEST_GUILESS_MAIN(TestFrameSettings)
#include "TestFrameSettings.moc"
