// SPDX-License-Identifier: GPL-3.0-or-later
#include "kit/FrameSize.h"
#include "kit/PageCycle.h"
#include "kit/PageTransition.h"
#include "kit/ScreenLook.h"
#include "kit/ScreenManifest.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QTimeZone>
#include <QtTest>

namespace {

std::optional<ScreenManifest> decode(const QByteArray &text)
{
    return ScreenManifest::fromJson(QJsonDocument::fromJson(text).object());
}

} // namespace

class TestScreenRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void manifestDecodes();
    void manifestRejectsBadShapes_data();
    void manifestRejectsBadShapes();
    void manifestRoundTripWritesNulls();
    void manifestTitles();
    void updatedDate_data();
    void updatedDate();
    void lookNamesAndFileNames();
    void storedNames_data();
    void storedNames();
    void pageCycle_data();
    void pageCycle();
    void frameSizes();
    void transitions();
};

void TestScreenRecords::manifestDecodes()
{
    const std::optional<ScreenManifest> manifest =
        decode(R"({"ok": false, "views": ["page0"], "titles": null, "error": "Offline", "extra": [1]})");
    QVERIFY(manifest);
    QCOMPARE(manifest->ok, false);
    QCOMPARE(manifest->pageNames, QStringList{"page0"});
    QVERIFY(!manifest->titles);
    QVERIFY(!manifest->updatedAt);
    QVERIFY(!manifest->login);
    QCOMPARE(manifest->error, std::optional<QString>(QStringLiteral("Offline")));
}

void TestScreenRecords::manifestRejectsBadShapes_data()
{
    QTest::addColumn<QByteArray>("json");
    QTest::newRow("no ok") << QByteArray(R"({"views": []})");
    QTest::newRow("no views") << QByteArray(R"({"ok": true})");
    QTest::newRow("ok as string") << QByteArray(R"({"ok": "true", "views": []})");
    QTest::newRow("view not a string") << QByteArray(R"({"ok": true, "views": [0]})");
    QTest::newRow("titles not a list") << QByteArray(R"({"ok": true, "views": [], "titles": "a"})");
    QTest::newRow("login a number") << QByteArray(R"({"ok": true, "views": [], "login": 1})");
}

void TestScreenRecords::manifestRejectsBadShapes()
{
    QFETCH(QByteArray, json);
    QVERIFY(!decode(json));
}

void TestScreenRecords::manifestRoundTripWritesNulls()
{
    const ScreenManifest manifest{true,         QStringLiteral("2026-03-01T09:15:00.250Z"),
                                  std::nullopt, {QStringLiteral("page0")},
                                  std::nullopt, std::nullopt};
    const QJsonObject json = manifest.toJson();
    QCOMPARE(json.size(), 6);
    QVERIFY(json.value(u"login").isNull());
    QVERIFY(json.value(u"titles").isNull());
    QCOMPARE(ScreenManifest::fromJson(json), std::optional<ScreenManifest>(manifest));
}

void TestScreenRecords::manifestTitles()
{
    ScreenManifest manifest;
    manifest.pageNames = {QStringLiteral("page0"), QStringLiteral("page1"), QStringLiteral("page2")};
    QCOMPARE(manifest.title(QStringLiteral("page1")), QStringLiteral("page1")); // no titles at all

    manifest.titles = QStringList{QStringLiteral("Year"), QStringLiteral("Plans")};
    QCOMPARE(manifest.title(QStringLiteral("page0")), QStringLiteral("Year"));
    QCOMPARE(manifest.title(QStringLiteral("page1")), QStringLiteral("Plans"));
    QCOMPARE(manifest.title(QStringLiteral("page2")), QStringLiteral("page2")); // titles too short
    QCOMPARE(manifest.title(QStringLiteral("page9")), QStringLiteral("page9")); // not a view
}

void TestScreenRecords::updatedDate_data()
{
    QTest::addColumn<QVariant>("updatedAt"); // invalid for none
    QTest::addColumn<QDateTime>("expected"); // invalid for none
    const QDateTime at(QDate(2026, 3, 1), QTime(9, 15), QTimeZone::utc());

    QTest::newRow("fractional seconds") << QVariant("2026-03-01T09:15:00.250Z") << at.addMSecs(250);
    QTest::newRow("whole seconds") << QVariant("2026-03-01T09:15:00Z") << at;
    QTest::newRow("offset") << QVariant("2026-03-01T11:15:00+02:00") << at;
    QTest::newRow("plain date") << QVariant("2026-03-01") << QDateTime();
    QTest::newRow("no zone") << QVariant("2026-03-01T09:15:00") << QDateTime();
    QTest::newRow("impossible month") << QVariant("2026-13-01T09:15:00Z") << QDateTime();
    QTest::newRow("text") << QVariant("yesterday") << QDateTime();
    QTest::newRow("absent") << QVariant() << QDateTime();
}

void TestScreenRecords::updatedDate()
{
    QFETCH(QVariant, updatedAt);
    QFETCH(QDateTime, expected);
    ScreenManifest manifest;
    if (updatedAt.isValid())
        manifest.updatedAt = updatedAt.toString();
    const std::optional<QDateTime> date = manifest.updatedDate();
    QCOMPARE(date.has_value(), expected.isValid());
    if (date)
        QCOMPARE(*date, expected);
}

void TestScreenRecords::lookNamesAndFileNames()
{
    QCOMPARE(ScreenLook::all(), QList<ScreenLook>({ScreenLook::Mono, ScreenLook::Colour, ScreenLook::Panel}));
    QCOMPARE(ScreenLook(ScreenLook::Colour).title(), QStringLiteral("Colour"));
    QCOMPARE(ScreenLook(ScreenLook::Panel).title(), QStringLiteral("Panel Pixels"));
    for (ScreenLook look : ScreenLook::all())
        QCOMPARE(ScreenLook::fromName(look.name()), std::optional<ScreenLook>(look));
    QVERIFY(!ScreenLook::fromName(QStringLiteral("Panel")));
    QVERIFY(!ScreenLook::fromName(QStringLiteral("color")));
    QVERIFY(!ScreenLook::fromName(QStringLiteral("ScreenLook::Mono")));

    const QString view = QStringLiteral("page0");
    QCOMPARE(ScreenLook(ScreenLook::Mono).fileName(view, true), QStringLiteral("page0-mono-dark.png"));
    QCOMPARE(ScreenLook(ScreenLook::Colour).fileName(view, false), QStringLiteral("page0-colour-light.png"));
    QCOMPARE(ScreenLook(ScreenLook::Panel).fileName(view, false), QStringLiteral("page0.png"));
    QCOMPARE(ScreenLook(ScreenLook::Panel).fileName(view, true), QStringLiteral("page0.png"));

    // Every look has its menu title and picture names of its own, which the screens directory
    // reads back to the look; a name of no look reads as none.
    QSet<QString> pictures;
    for (const ScreenLook look : ScreenLook::all()) {
        QVERIFY2(!look.title().isEmpty(), qPrintable(look.name()));
        for (const bool dark : look.appearances()) {
            const QString name = look.fileName(view, dark);
            QVERIFY2(!pictures.contains(name), qPrintable(name));
            pictures.insert(name);
            QCOMPARE(ScreenLook::ofPicture(name, view), std::optional<ScreenLook>(look));
        }
    }
    QCOMPARE(ScreenLook::ofPicture(QStringLiteral("page0-color-light.png"), view), std::nullopt);
    QCOMPARE(ScreenLook::ofPicture(QStringLiteral("page1.png"), view), std::nullopt);
}

void TestScreenRecords::pageCycle_data()
{
    QTest::addColumn<QStringList>("views");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QString>("next");     // empty for none
    QTest::addColumn<QString>("previous"); // empty for none
    const QStringList two{"page0", "page1"};
    const QStringList three{"page0", "page1", "page2"};

    QTest::newRow("next wraps to first") << two << "page1"
                                         << "page0"
                                         << "page0";
    QTest::newRow("previous wraps to last") << three << "page0"
                                            << "page1"
                                            << "page2";
    QTest::newRow("middle") << three << "page1"
                            << "page2"
                            << "page0";
    QTest::newRow("one view") << QStringList{"page0"} << "page0"
                              << "page0"
                              << "page0";
    QTest::newRow("unknown restarts at first") << two << "page7"
                                               << "page0"
                                               << "page0";
    QTest::newRow("first occurrence counts") << QStringList{"a", "b", "a", "c"} << "a"
                                             << "b"
                                             << "c";
    QTest::newRow("no views") << QStringList{} << "page0"
                              << ""
                              << "";
}

void TestScreenRecords::pageCycle()
{
    QFETCH(QStringList, views);
    QFETCH(QString, current);
    QFETCH(QString, next);
    QFETCH(QString, previous);
    const auto orNone = [](const QString &name) { return name.isEmpty() ? std::nullopt : std::optional(name); };
    QCOMPARE(PageCycle::next(current, views), orNone(next));
    QCOMPARE(PageCycle::previous(current, views), orNone(previous));
}

void TestScreenRecords::frameSizes()
{
    QCOMPARE(FrameSize::all().size(), 4);
    QCOMPARE(FrameSize(FrameSize::Small).contentWidth(), 520.0);
    QCOMPARE(FrameSize(FrameSize::Medium).contentWidth(), 680.0);
    QCOMPARE(FrameSize(FrameSize::Large).contentWidth(), 900.0);
    QCOMPARE(FrameSize(FrameSize::FullScreen).contentWidth(), 900.0);
    QCOMPARE(FrameSize(FrameSize::Large).title(), QStringLiteral("Large"));
    QCOMPARE(FrameSize(FrameSize::FullScreen).title(), QStringLiteral("Full Screen"));
    QCOMPARE(FrameSize::fromName(QStringLiteral("fullScreen")), std::optional<FrameSize>(FrameSize::FullScreen));
    QVERIFY(!FrameSize::fromName(QStringLiteral("fullscreen")));
    for (FrameSize size : FrameSize::all())
        QCOMPARE(FrameSize::fromName(size.name()), std::optional<FrameSize>(size));
}

void TestScreenRecords::transitions()
{
    QCOMPARE(PageTransition::all(), QList<PageTransition>({PageTransition::Flip, PageTransition::Slide,
                                                           PageTransition::Fade, PageTransition::Flash}));
    for (PageTransition transition : PageTransition::all())
        QCOMPARE(PageTransition::fromName(transition.name()), std::optional<PageTransition>(transition));
    QCOMPARE(PageTransition(PageTransition::Flash).name(), QStringLiteral("flash"));
    QVERIFY(!PageTransition::fromName(QStringLiteral("Flip")));
    QVERIFY(!PageTransition::fromName(QString()));
}

// The names settings files, picture files and the command line hold: a renamed enumerator
// must not change them.
void TestScreenRecords::storedNames_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stored");
    QTest::newRow("mono") << ScreenLook(ScreenLook::Mono).name() << "mono";
    QTest::newRow("colour") << ScreenLook(ScreenLook::Colour).name() << "colour";
    QTest::newRow("panel") << ScreenLook(ScreenLook::Panel).name() << "panel";
    QTest::newRow("small") << FrameSize(FrameSize::Small).name() << "small";
    QTest::newRow("medium") << FrameSize(FrameSize::Medium).name() << "medium";
    QTest::newRow("large") << FrameSize(FrameSize::Large).name() << "large";
    QTest::newRow("full screen") << FrameSize(FrameSize::FullScreen).name() << "fullScreen";
    QTest::newRow("flip") << PageTransition(PageTransition::Flip).name() << "flip";
    QTest::newRow("slide") << PageTransition(PageTransition::Slide).name() << "slide";
    QTest::newRow("fade") << PageTransition(PageTransition::Fade).name() << "fade";
    QTest::newRow("flash") << PageTransition(PageTransition::Flash).name() << "flash";
}

void TestScreenRecords::storedNames()
{
    QFETCH(QString, name);
    QFETCH(QString, stored);
    QCOMPARE(name, stored);
}

QTEST_GUILESS_MAIN(TestScreenRecords)
#include "TestScreenRecords.moc"
