// SPDX-License-Identifier: GPL-3.0-or-later
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "model/FrameModel.h"
#include "platform/Defaults.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace {

QJsonObject readJsonObject(const QString &path)
{
    return QJsonDocument::fromJson(TestSupport::readFile(path)).object();
}

QList<Page> fixtureDefaultPages()
{
    return {Page(QStringLiteral("full"), {QStringLiteral("github.year")}),
            Page(QStringLiteral("halves"), {QStringLiteral("plans.all"), QStringLiteral("countdown")})};
}

bool sameContent(const QList<Page> &a, const QList<Page> &b)
{
    return std::equal(a.cbegin(), a.cend(), b.cbegin(), b.cend(),
                      [](const Page &x, const Page &y) { return x.hasSameContent(y); });
}

void writePng(const QString &path)
{
    QImage image(4, 2, QImage::Format_RGB32);
    image.fill(Qt::darkGray);
    QVERIFY(image.save(path, "PNG"));
}

} // namespace

class TestFrameModelState : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void firstStartUsesDefaultsAndWritesNothing();
    void badSettingsFileGivesDefaultsAndIsReplacedOnSave_data();
    void badSettingsFileGivesDefaultsAndIsReplacedOnSave();
    void noPagesOfTheirOwnGiveTheDefaultPages_data();
    void noPagesOfTheirOwnGiveTheDefaultPages();
    void storedSettingsLoadAsStoredAndProvidersNormaliseOnChange();
    void setProviderAlwaysSavesAndRefreshes();
    void savedFileIsSortedPrettyAndLoadsBack();
    void settersNotifyOnlyOnChange();
    void withoutCatalogueThereAreNoDefaultPages();
    void needsWelcome_data();
    void needsWelcome();
    void reloadMovesViewIntoTheManifest_data();
    void reloadMovesViewIntoTheManifest();
    void missingManifestKeepsTheHeldOneBadOneClearsIt();
    void loadsImagesOfTheCurrentLook();
    void picturesAreHeldNoWiderThanTheLimit();

private:
    std::unique_ptr<FrameModel> makeModel() { return std::make_unique<FrameModel>(TestSupport::configuration()); }
    QString settingsPath() const { return m_dir->filePath(QStringLiteral("settings.json")); }
    QString screensPath() const { return m_dir->filePath(QStringLiteral("screens")); }
    void writeManifest(const QByteArray &json)
    {
        QVERIFY(TestSupport::writeFile(screensPath() + QStringLiteral("/manifest.json"), json));
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestFrameModelState::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    qputenv("TESSARINE_SCREENS", screensPath().toUtf8());
    qputenv("TESSARINE_VIEWS", TestSupport::fixturePath(QStringLiteral("model/views")).toUtf8());
    TestSupport::defaultsStore().clear();
}

void TestFrameModelState::cleanup()
{
    m_dir.reset();
}

void TestFrameModelState::firstStartUsesDefaultsAndWritesNothing()
{
    const auto model = makeModel();
    QVERIFY(model->catalogue());
    QCOMPARE(model->pages(), model->catalogue()->defaultPages); // the very same pages, identifiers included
    QVERIFY(sameContent(model->pages(), fixtureDefaultPages()));
    QCOMPARE(model->renderedPages(), model->pages());
    QCOMPARE(model->providers(), QStringList({"claude", "codex"}));
    QCOMPARE(model->showLogos(), true);
    QVERIFY(!model->countdown());
    QVERIFY(!model->manifest());
    QVERIFY(model->images().isEmpty());
    QVERIFY(model->needsWelcome());

    QVERIFY(QDir(m_dir->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
    QVERIFY(TestSupport::defaultsStore().allKeys().isEmpty());
}

void TestFrameModelState::badSettingsFileGivesDefaultsAndIsReplacedOnSave_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("not JSON") << QByteArray("{providers: [claude]");
    QTest::newRow("trailing comma") << QByteArray(
        R"({"providers": ["grok"], "logos": false, "pages": [{"layout": "full", "slots": ["countdown"]},]})");
    QTest::newRow("top-level list") << QByteArray(R"([{"providers": ["grok"], "logos": false}])");
    QTest::newRow("no logos") << QByteArray(R"({"providers": ["grok"]})");
    QTest::newRow("slot of the wrong type")
        << QByteArray(R"({"providers": ["grok"], "logos": false, "pages": [{"layout": "full", "slots": [1]}]})");
    QTest::newRow("countdown without date")
        << QByteArray(R"({"providers": ["grok"], "logos": false, "countdown": {"title": "Launch"}})");
    QTest::newRow("nested thousands deep") << QByteArray(20000, '[') + QByteArray(20000, ']');
    QByteArray large = R"({"providers": ["grok"], "logos": false, "pages": [)";
    for (int i = 0; i < 100000; ++i)
        large += R"({"layout": "full", "slots": ["github.year"]},)";
    large += R"({"layout": "full"}]})";
    QTest::newRow("large with one bad page") << large;
}

void TestFrameModelState::badSettingsFileGivesDefaultsAndIsReplacedOnSave()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(TestSupport::writeFile(settingsPath(), bytes));

    const auto model = makeModel();
    QCOMPARE(model->providers(), QStringList({"claude", "codex"}));
    QCOMPARE(model->showLogos(), true);
    QVERIFY(!model->countdown());
    QVERIFY(sameContent(model->pages(), fixtureDefaultPages()));
    QCOMPARE(TestSupport::readFile(settingsPath()), bytes); // not repaired or moved at start

    model->setShowLogos(false);
    const QJsonObject saved = readJsonObject(settingsPath());
    QCOMPARE(saved.value(u"logos"), QJsonValue(false));
    QCOMPARE(saved.value(u"providers").toArray(), QJsonArray({"claude", "codex"}));
    QCOMPARE(saved.value(u"pages").toArray().size(), 2);

    // What the user had is kept beside the new file, so a typo costs none of their pages.
    const QDir folder(m_dir->path());
    const QStringList aside = folder.entryList({QStringLiteral("settings.json.unreadable-*")}, QDir::Files);
    QCOMPARE(aside.size(), 1);
    QCOMPARE(TestSupport::readFile(folder.filePath(aside.first())), bytes);

    // A good file is written over without a copy.
    model->setShowLogos(true);
    QCOMPARE(folder.entryList({QStringLiteral("settings.json.unreadable-*")}, QDir::Files).size(), 1);
}

void TestFrameModelState::noPagesOfTheirOwnGiveTheDefaultPages_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("empty list") << QByteArray(R"({"providers": ["grok"], "logos": false, "pages": []})");
    QTest::newRow("null") << QByteArray(R"({"providers": ["grok"], "logos": false, "pages": null})");
    QTest::newRow("absent") << QByteArray(R"({"providers": ["grok"], "logos": false})");
}

void TestFrameModelState::noPagesOfTheirOwnGiveTheDefaultPages()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(TestSupport::writeFile(settingsPath(), bytes));
    const auto model = makeModel();
    QCOMPARE(model->pages(), model->catalogue()->defaultPages);
    QCOMPARE(model->providers(), QStringList{"grok"});
    QCOMPARE(model->showLogos(), false);
}

void TestFrameModelState::storedSettingsLoadAsStoredAndProvidersNormaliseOnChange()
{
    QVERIFY(TestSupport::writeFile(settingsPath(), R"({
        "providers": ["grok", "claude", "mystery"], "logos": false, "unknown": 1,
        "pages": [{"layout": "halves", "slots": [null, "countdown"], "title": "Mine"}],
        "countdown": {"title": "Launch", "date": "2027-03-01"}
    })"));
    const auto model = makeModel();
    QCOMPARE(model->providers(), QStringList({"grok", "claude", "mystery"}));
    QCOMPARE(model->showLogos(), false);
    QCOMPARE(model->countdown(), std::optional<Countdown>({QStringLiteral("Launch"), QStringLiteral("2027-03-01")}));
    QCOMPARE(model->pages().size(), 1);
    QVERIFY(model->pages().first().hasSameContent(
        Page(QStringLiteral("halves"), {std::nullopt, QStringLiteral("countdown")}, QStringLiteral("Mine"))));
    QCOMPARE(model->renderedPages(), model->pages());
    QVERIFY(!model->needsWelcome());

    QSignalSpy providersChanged(model.get(), &FrameModel::providersChanged);
    QSignalSpy refreshRequested(model.get(), &FrameModel::refreshRequested);
    model->setProvider(QStringLiteral("codex"), true);
    QCOMPARE(model->providers(), QStringList({"claude", "codex", "grok"}));
    QCOMPARE(providersChanged.count(), 1);
    QCOMPARE(refreshRequested.count(), 1);
    const QJsonObject saved = readJsonObject(settingsPath());
    QCOMPARE(saved.value(u"providers").toArray(), QJsonArray({"claude", "codex", "grok"}));
    QVERIFY(!saved.contains(u"unknown"));
}

void TestFrameModelState::setProviderAlwaysSavesAndRefreshes()
{
    const auto model = makeModel();
    QSignalSpy providersChanged(model.get(), &FrameModel::providersChanged);
    QSignalSpy refreshRequested(model.get(), &FrameModel::refreshRequested);

    model->setProvider(QStringLiteral("claude"), true); // already chosen
    QCOMPARE(providersChanged.count(), 0);
    QCOMPARE(refreshRequested.count(), 1);
    QVERIFY(QFileInfo::exists(settingsPath()));

    model->setProvider(QStringLiteral("claude"), false);
    model->setProvider(QStringLiteral("nonsense"), true);
    QCOMPARE(model->providers(), QStringList{"codex"});
    QCOMPARE(providersChanged.count(), 1);
    QCOMPARE(refreshRequested.count(), 3);
    QCOMPARE(readJsonObject(settingsPath()).value(u"providers").toArray(), QJsonArray{"codex"});
}

void TestFrameModelState::savedFileIsSortedPrettyAndLoadsBack()
{
    // The parent of the screens directory does not exist yet: saving creates it.
    const QString screens = m_dir->filePath(QStringLiteral("deeper/still/screens"));
    qputenv("TESSARINE_SCREENS", screens.toUtf8());
    const QString settings = m_dir->filePath(QStringLiteral("deeper/still/settings.json"));

    auto model = makeModel();
    model->setCountdown(Countdown{QStringLiteral("Launch"), QStringLiteral("2027-03-01")});
    const QByteArray text = TestSupport::readFile(settings);
    QVERIFY(!text.isEmpty());
    QVERIFY(text.contains("\n    \"logos\": true,\n"));
    const QList<QByteArray> order{"\"countdown\"", "\"date\"",  "\"title\": \"Launch\"", "\"logos\"", "\"pages\"",
                                  "\"layout\"",    "\"slots\"", "\"providers\""};
    for (qsizetype i = 1; i < order.size(); ++i)
        QVERIFY2(text.indexOf(order.at(i - 1)) < text.indexOf(order.at(i)), order.at(i).constData());
    QVERIFY(!text.contains("\"id\""));

    const QList<Page> before = model->pages();
    model.reset();
    const auto reloaded = makeModel();
    QVERIFY(sameContent(reloaded->pages(), before));
    QVERIFY(reloaded->pages().first().id != before.first().id);
    QCOMPARE(reloaded->countdown(), std::optional<Countdown>({QStringLiteral("Launch"), QStringLiteral("2027-03-01")}));
}

void TestFrameModelState::settersNotifyOnlyOnChange()
{
    const auto model = makeModel();
    QSignalSpy countdownChanged(model.get(), &FrameModel::countdownChanged);
    QSignalSpy showLogosChanged(model.get(), &FrameModel::showLogosChanged);
    QSignalSpy refreshRequested(model.get(), &FrameModel::refreshRequested);

    const Countdown launch{QStringLiteral("Launch"), QStringLiteral("2027-03-01")};
    model->setCountdown(launch);
    model->setCountdown(launch);
    model->setShowLogos(true);
    QCOMPARE(countdownChanged.count(), 1);
    QCOMPARE(showLogosChanged.count(), 0);
    QCOMPARE(refreshRequested.count(), 3); // every call saves and refreshes

    model->setShowLogos(false);
    QCOMPARE(showLogosChanged.count(), 1);
    QCOMPARE(model->property("showLogos").toBool(), false);
}

void TestFrameModelState::withoutCatalogueThereAreNoDefaultPages()
{
    QTemporaryDir emptyViews;
    qputenv("TESSARINE_VIEWS", emptyViews.path().toUtf8());
    const auto model = makeModel();
    QVERIFY(!model->catalogue());
    QVERIFY(model->pages().isEmpty());

    // A catalogue of the wrong shape counts as none too.
    QVERIFY(TestSupport::writeFile(emptyViews.filePath(QStringLiteral("widgets.json")), R"({"layouts": []})"));
    QVERIFY(!makeModel()->catalogue());
}

void TestFrameModelState::needsWelcome_data()
{
    QTest::addColumn<QString>("onboarded"); // empty for absent
    QTest::addColumn<bool>("settingsFile");
    QTest::addColumn<bool>("expected");
    QTest::newRow("first start") << QString() << false << true;
    QTest::newRow("onboarded, settings deleted") << "true" << false << false;
    QTest::newRow("settings file present") << QString() << true << false;
    QTest::newRow("onboarded false, no settings") << "false" << false << true;
}

void TestFrameModelState::needsWelcome()
{
    QFETCH(QString, onboarded);
    QFETCH(bool, settingsFile);
    QFETCH(bool, expected);
    if (!onboarded.isEmpty())
        Defaults::setValue(QStringLiteral("onboarded"), onboarded == QStringLiteral("true"));
    if (settingsFile)
        QVERIFY(TestSupport::writeFile(settingsPath(), "not even JSON"));
    QCOMPARE(makeModel()->needsWelcome(), expected);
}

void TestFrameModelState::reloadMovesViewIntoTheManifest_data()
{
    QTest::addColumn<QByteArray>("manifest");
    QTest::addColumn<QString>("expected");
    QTest::newRow("stored view not rendered") << QByteArray(R"({"ok": true, "views": ["page0", "page1"]})") << "page0";
    QTest::newRow("stored view rendered") << QByteArray(R"({"ok": true, "views": ["page0", "page5"]})") << "page5";
    QTest::newRow("no views") << QByteArray(R"({"ok": true, "views": []})") << "page5";
    QTest::newRow("bad manifest") << QByteArray(R"({"views": ["page0"]})") << "page5";
}

void TestFrameModelState::reloadMovesViewIntoTheManifest()
{
    QFETCH(QByteArray, manifest);
    QFETCH(QString, expected);
    Defaults::setValue(QStringLiteral("page"), QStringLiteral("page5"));
    writeManifest(manifest);
    const auto model = makeModel();
    QCOMPARE(model->view(), expected);
    QCOMPARE(Defaults::stringValue(QStringLiteral("page")), std::optional<QString>(expected));
}

void TestFrameModelState::missingManifestKeepsTheHeldOneBadOneClearsIt()
{
    writeManifest(R"({"ok": false, "views": ["page0"], "titles": null, "error": "Offline"})");
    const auto model = makeModel();
    QVERIFY(model->manifest());
    QCOMPARE(model->manifest()->error, std::optional<QString>(QStringLiteral("Offline")));

    QSignalSpy manifestChanged(model.get(), &FrameModel::manifestChanged);
    QVERIFY(QFile::remove(screensPath() + QStringLiteral("/manifest.json")));
    model->reload();
    QVERIFY(model->manifest());
    QCOMPARE(manifestChanged.count(), 0);

    writeManifest("{ not json");
    model->reload();
    QVERIFY(!model->manifest());
    QCOMPARE(manifestChanged.count(), 1);
}

void TestFrameModelState::loadsImagesOfTheCurrentLook()
{
    QDir().mkpath(screensPath());
    for (const char *name : {"page0-mono-light.png", "page0-mono-dark.png", "page1-mono-light.png", "page0.png"})
        writePng(screensPath() + u'/' + QLatin1String(name));
    QVERIFY(TestSupport::writeFile(screensPath() + QStringLiteral("/page1-mono-dark.png"), "not a picture"));
    writePng(m_dir->filePath(QStringLiteral("outside-mono-light.png")));
    writeManifest(R"({"ok": true, "views": ["page0", "page1", "page2", "../outside"]})");

    const auto model = makeModel();
    QStringList names = model->images().keys();
    names.sort();
    QCOMPARE(names, QStringList({"page0-mono-dark.png", "page0-mono-light.png", "page1-mono-light.png"}));
    QCOMPARE(model->images().value(QStringLiteral("page0-mono-dark.png")).size(), QSize(4, 2));

    QSignalSpy imagesChanged(model.get(), &FrameModel::imagesChanged);
    model->loadImages();
    QCOMPARE(imagesChanged.count(), 0); // the same pictures again

    model->setLook(ScreenLook::Panel);
    QCOMPARE(model->images().keys(), QStringList{"page0.png"});
    QCOMPARE(imagesChanged.count(), 1);
}

void TestFrameModelState::picturesAreHeldNoWiderThanTheLimit()
{
    // A picture as the renderer draws it: 4080 × 1440, left half red, right half blue.
    QDir().mkpath(screensPath());
    QImage drawn(4080, 1440, QImage::Format_RGB32);
    drawn.fill(Qt::blue);
    for (int y = 0; y < drawn.height(); ++y)
        std::fill_n(reinterpret_cast<QRgb *>(drawn.scanLine(y)), 2040, qRgb(255, 0, 0));
    QVERIFY(drawn.save(screensPath() + QStringLiteral("/page0-mono-light.png"), "PNG"));
    QImage panel(1360, 480, QImage::Format_Grayscale8);
    panel.fill(0);
    QVERIFY(panel.save(screensPath() + QStringLiteral("/page0.png"), "PNG"));
    writeManifest(R"({"ok": true, "views": ["page0"]})");

    const auto model = makeModel();
    QCOMPARE(model->images().value(QStringLiteral("page0-mono-light.png")).size(), QSize(4080, 1440));

    QSignalSpy imagesChanged(model.get(), &FrameModel::imagesChanged);
    model->pictures().setWidthLimit(900);
    QCOMPARE(imagesChanged.count(), 1);
    const QImage held = model->images().value(QStringLiteral("page0-mono-light.png"));
    QCOMPARE(held.size(), QSize(900, 318));
    // Scaled as a whole, not cropped: both halves are still there.
    QCOMPARE(QColor(held.pixel(100, 150)), QColor(Qt::red));
    QCOMPARE(QColor(held.pixel(800, 150)), QColor(Qt::blue));

    // The same limit again reads nothing; a new refresh's pictures are held at the limit too.
    model->pictures().setWidthLimit(900);
    QCOMPARE(imagesChanged.count(), 1);
    model->reload();
    QCOMPARE(model->images().value(QStringLiteral("page0-mono-light.png")).width(), 900);

    // The panel's one-bit picture is shown pixel for pixel and never scaled.
    model->setLook(ScreenLook::Panel);
    QCOMPARE(model->images().value(QStringLiteral("page0.png")).size(), QSize(1360, 480));

    // Pictures narrower than the limit stay as drawn; no limit gives the full size.
    model->setLook(ScreenLook::Mono);
    model->pictures().setWidthLimit(8000);
    QCOMPARE(model->images().value(QStringLiteral("page0-mono-light.png")).width(), 4080);
    model->pictures().setWidthLimit(1800);
    model->pictures().setWidthLimit(0);
    QCOMPARE(model->images().value(QStringLiteral("page0-mono-light.png")).width(), 4080);
}

QTEST_GUILESS_MAIN(TestFrameModelState)
#include "TestFrameModelState.moc"
