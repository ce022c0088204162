// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeTools.h"
#include "RefreshSupport.h"
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "model/FrameModel.h"
#include "platform/CalendarStore.h"
#include "platform/InMemoryCredentialStore.h"
#include "platform/WakeMonitor.h"
#include "render/PageRenderer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QImage>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <csignal>
#include <memory>
#include <unistd.h>

using namespace RefreshSupport;

namespace {

const QString signInMessage = QStringLiteral("Sign in to GitHub in Connections, or remove the GitHub widgets.");
const QString earlierRun = QStringLiteral("2026-02-28T07:00:00.250Z");

QJsonObject okManifest(const QStringList &views)
{
    return QJsonObject{{"ok", true},
                       {"updatedAt", earlierRun},
                       {"login", "octo"},
                       {"views", QJsonArray::fromStringList(views)},
                       {"titles", QJsonValue::Null},
                       {"error", QJsonValue::Null}};
}

QRgb pixelOf(const QString &path)
{
    return QImage(path).pixel(20, 20);
}

// The renderer process this test started, found among its children; 0 when none runs.
qint64 rendererProcess()
{
    const QString self = QString::number(::getpid());
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() < 2 || fields.at(0) == "Z" || fields.at(1) != self.toLatin1())
            continue;
        if (TestSupport::readFile(QStringLiteral("/proc/") + entry + QStringLiteral("/cmdline"))
                .contains("render-helper"))
            return entry.toLongLong();
    }
    return 0;
}

} // namespace

// Runs whole refreshes with a stand-in page view (tests/fixtures/refresh/views) in the real web
// engine: what reaches the screens directory, how failures are recorded, and how requests made
// during a run collapse.
class TestFrameModelRefresh : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void looksDrawTheirPictures_data();
    void looksDrawTheirPictures();
    void failuresKeepTheLastPictures_data();
    void failuresKeepTheLastPictures();
    void githubFailureDrawsEveryOtherWidget_data();
    void githubFailureDrawsEveryOtherWidget();
    void signedOutThenTokenFromGhCommand();
    void hangingGhCommandIsLeftBehind();
    void pageViewThatNeverGetsReadyStillEnds();
    void rendererKilledDuringRefreshFailsThatRefreshOnly();
    void redrawDuringRefreshDoesNothing();
    void scheduleRefreshesNow();
    void failedDrawKeepsTheLastGoodData();
    void lookChosenDuringRefreshIsDrawnAfterIt();
    void previousLookShownUntilTheNewOneIsDrawn();
    void looksAreDrawnAgainAfterAnEdit();
    void refreshSupersedesRunningRedraw();
    void picturesOfRemovedPagesGo();
    void keepsEachPagesTextBesideItsPictures_data();
    void keepsEachPagesTextBesideItsPictures();

private:
    std::unique_ptr<FrameModel> makeModel() const;
    QString screens() const { return m_dir->filePath(QStringLiteral("screens")); }
    QString screenFile(const QString &name) const { return QDir(screens()).filePath(name); }
    QStringList pictures() const;
    QString copyViews() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::shared_ptr<InMemoryCredentialStore> m_credentials;
    QByteArray m_renderer = qgetenv("TESSARINE_RENDERER");
};

void TestFrameModelRefresh::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(startRefreshCase(*m_dir));
    m_credentials = std::make_shared<InMemoryCredentialStore>();
}

void TestFrameModelRefresh::cleanup()
{
    qputenv("TESSARINE_RENDERER", m_renderer);
    m_dir.reset();
}

std::unique_ptr<FrameModel> TestFrameModelRefresh::makeModel() const
{
    return std::make_unique<FrameModel>(TestSupport::configuration(), m_credentials);
}

// A views folder of its own, so a test can take the page view away and put it back.
QString TestFrameModelRefresh::copyViews() const
{
    const QString views = m_dir->filePath(QStringLiteral("views"));
    QDir().mkpath(views);
    for (const char *name : {"page.html", "themes.json", "widgets.json"}) {
        const QString file = QString::fromLatin1(name);
        QFile::copy(TestSupport::fixturePath(QStringLiteral("refresh/views/") + file), QDir(views).filePath(file));
    }
    qputenv("TESSARINE_VIEWS", views.toUtf8());
    return views;
}

QStringList TestFrameModelRefresh::pictures() const
{
    return QDir(screens()).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name);
}

void TestFrameModelRefresh::looksDrawTheirPictures_data()
{
    QTest::addColumn<QString>("look");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRgb>("light");
    QTest::addColumn<QRgb>("dark");

    const QRgb black = qRgb(0, 0, 0);
    QTest::newRow("mono") << "mono"
                          << QStringList{"page0-mono-dark.png", "page0-mono-light.png", "page1-mono-dark.png",
                                         "page1-mono-light.png"}
                          << QSize(4080, 1440) << qRgb(255, 255, 255) << black;
    QTest::newRow("colour") << "colour"
                            << QStringList{"page0-colour-dark.png", "page0-colour-light.png", "page1-colour-dark.png",
                                           "page1-colour-light.png"}
                            << QSize(4080, 1440) << qRgb(0xff, 0xcc, 0x00) << qRgb(0x00, 0x33, 0x66);
    // The panel has no theme: the stand-in's grey (128) is at or below the threshold.
    QTest::newRow("panel") << "panel" << QStringList{"page0.png", "page1.png"} << QSize(1360, 480) << black << black;
}

void TestFrameModelRefresh::looksDrawTheirPictures()
{
    QFETCH(QString, look);
    QFETCH(QStringList, files);
    QFETCH(QSize, size);
    QFETCH(QRgb, light);
    QFETCH(QRgb, dark);
    TestSupport::defaultsStore().setValue(QStringLiteral("look"), look);

    const auto model = makeModel();
    model->refresh();
    QVERIFY(waitUntilIdle(*model));
    QCOMPARE(model->errorLine(), std::nullopt);

    QCOMPARE(pictures(), files);
    for (const QString &file : files)
        QCOMPARE(QImage(screenFile(file)).size(), size);
    QCOMPARE(pixelOf(screenFile(files.at(1))), light);
    QCOMPARE(pixelOf(screenFile(files.at(0))), dark);
    QVERIFY(!model->image(QStringLiteral("page1"), false).isNull());
    QVERIFY(!model->image(QStringLiteral("page1"), true).isNull());
    QCOMPARE(model->images().size(), files.size());

    const QJsonObject manifest = readObject(screenFile(QStringLiteral("manifest.json")));
    QCOMPARE(manifest.value("ok"), QJsonValue(true));
    QCOMPARE(manifest.value("views").toArray(), QJsonArray({"page0", "page1"}));
    QCOMPARE(manifest.value("titles").toArray(), QJsonArray({"Today", "Countdown \u00B7 Events"}));
    QVERIFY(manifest.value("login").isNull());
    QVERIFY(manifest.value("error").isNull());
    QVERIFY(QDateTime::fromString(manifest.value("updatedAt").toString(), Qt::ISODateWithMs).isValid());
    QVERIFY(manifest.value("updatedAt").toString().contains(u'.'));

    // Compact, and with the calendar section the calendar widget needs.
    const QByteArray data = TestSupport::readFile(screenFile(QStringLiteral("data.json")));
    QVERIFY(!data.contains('\n'));
    const QJsonObject document = readObject(screenFile(QStringLiteral("data.json")));
    QCOMPARE(document.value("calendar").toObject(), QJsonObject({{"status", "noAccess"}, {"events", QJsonArray()}}));
    QCOMPARE(document.value("pages").toArray().size(), 2);
    QCOMPARE(model->renderedPages(), model->pages());
}

void TestFrameModelRefresh::failuresKeepTheLastPictures_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("messageStart");
    QTest::addColumn<bool>("manifestWritten");

    QTest::newRow("page view missing") << "noPageView"
                                       << "The page view could not be loaded" << true;
    QTest::newRow("screens directory is a file") << "screensFile"
                                                 << "Could not create the folder" << false;
    QTest::newRow("page renderer crashes") << "rendererCrashes"
                                           << "The page renderer stopped: it was ended by signal 9." << true;
    QTest::newRow("page renderer talks nonsense") << "rendererGarbage"
                                                  << "The page renderer stopped: its answer could not be read." << true;
}

void TestFrameModelRefresh::failuresKeepTheLastPictures()
{
    QFETCH(QString, fault);
    QFETCH(QString, messageStart);
    QFETCH(bool, manifestWritten);

    // The last good run left a picture, a data document and a manifest.
    QDir().mkpath(screens());
    TestSupport::writeFile(screenFile(QStringLiteral("page0-mono-light.png")), "old picture");
    TestSupport::writeFile(screenFile(QStringLiteral("data.json")), "{\"old\":true}");
    writeManifest(screens(), okManifest({"page0"}));

    if (fault.startsWith(QStringLiteral("renderer"))) {
        const QString renderer = m_dir->filePath(QStringLiteral("renderer.sh"));
        TestSupport::writeScript(renderer, fault == QStringLiteral("rendererCrashes")
                                               ? "#!/bin/sh\nkill -9 $$\n"
                                               : "#!/bin/sh\necho 'libEGL warning: no display'\nexec sleep 30\n");
        qputenv("TESSARINE_RENDERER", renderer.toUtf8());
        writeSettings(screens(), {page("full", {"today.date"})});
    } else if (fault == QStringLiteral("noPageView")) {
        const QString views = m_dir->filePath(QStringLiteral("views"));
        QDir().mkpath(views);
        qputenv("TESSARINE_VIEWS", views.toUtf8());
        writeSettings(screens(), {page("full", {"today.date"})});
    }
    const auto model = makeModel();
    if (fault == QStringLiteral("screensFile")) {
        // The folder went away and a file took its name after the model had started.
        QVERIFY(QDir(screens()).removeRecursively());
        TestSupport::writeFile(screens(), "not a folder");
    }
    const QList<Page> rendered = model->renderedPages();

    model->refresh();
    QVERIFY(waitUntilIdle(*model));

    const std::optional<QString> error = model->errorLine();
    QVERIFY(error);
    QVERIFY2(error->startsWith(messageStart), qPrintable(*error));
    QCOMPARE(model->lastRunError(), error);
    QCOMPARE(model->renderedPages(), rendered);
    if (!manifestWritten)
        return;
    QCOMPARE(TestSupport::readFile(screenFile(QStringLiteral("page0-mono-light.png"))), QByteArray("old picture"));
    // Whether collecting or drawing failed, the last good run's data document stays.
    QCOMPARE(TestSupport::readFile(screenFile(QStringLiteral("data.json"))), QByteArray("{\"old\":true}"));
    const QJsonObject manifest = readObject(screenFile(QStringLiteral("manifest.json")));
    QCOMPARE(manifest.value("ok"), QJsonValue(false));
    QCOMPARE(manifest.value("error").toString(), *error);
    QCOMPARE(manifest.value("updatedAt").toString(), earlierRun);
    QCOMPARE(manifest.value("login").toString(), QStringLiteral("octo"));
    QCOMPARE(model->manifest()->ok, false);
    // The card still shows when the pictures it has were made.
    QVERIFY(model->statusLine().startsWith(QStringLiteral("Updated ")));
}

void TestFrameModelRefresh::githubFailureDrawsEveryOtherWidget_data()
{
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reasonStart");

    // How each failure of GitHub itself reads is TestGitHubSource's; one stands for them here.
    QTest::newRow("GitHub widget without sign-in") << "signedOut" << signInMessage;
    QTest::newRow("GitHub refuses the token") << "github401"
                                              << "GitHub 401: Bad credentials";
}

void TestFrameModelRefresh::githubFailureDrawsEveryOtherWidget()
{
    QFETCH(QString, fault);
    QFETCH(QString, reasonStart);

    writeManifest(screens(), okManifest({"page0"}));
    FakeHttpServer github;
    if (fault != QStringLiteral("signedOut")) {
        // Signed in through the GitHub command-line tool; GitHub itself fails.
        FakeTools::install(QStringLiteral("gh"), "printf 'gho_test\\n'\n");
        qputenv("TESSARINE_GITHUB_API", github.start().toUtf8());
        github.setReply("POST /graphql", jsonReply(401, R"({"message": "Bad credentials"})"));
    }
    writeSettings(screens(), {page("halves", {"github.year", "today.date"}), page("full", {"plans.all"})},
                  {QStringLiteral("gemini")});
    const auto model = makeModel();
    const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);

    model->refresh();
    QVERIFY(waitUntilIdle(*model));

    // Every page was drawn from this run's data; only the GitHub section stayed empty.
    QCOMPARE(model->errorLine(), std::nullopt);
    QCOMPARE(pictures(), QStringList({"page0-mono-dark.png", "page0-mono-light.png", "page1-mono-dark.png",
                                      "page1-mono-light.png"}));
    const QJsonObject data = readObject(screenFile(QStringLiteral("data.json")));
    QVERIFY(QDateTime::fromString(data.value("updatedAt").toString(), Qt::ISODateWithMs) >= before);
    QCOMPARE(data.value("ai").toObject().value("providers").toArray().size(), 1);
    const QJsonObject section = data.value("github").toObject();
    QCOMPARE(section.value("status").toString(), QStringLiteral("unavailable"));
    const QString reason = section.value("reason").toString();
    QVERIFY2(reason.startsWith(reasonStart), qPrintable(reason));
    // The manifest, the menu's line and the card's mark say what failed.
    const QJsonObject manifest = readObject(screenFile(QStringLiteral("manifest.json")));
    QCOMPARE(manifest.value("ok"), QJsonValue(true));
    QCOMPARE(manifest.value("error").toString(), QStringLiteral("GitHub not updated: ") + reason);
    QCOMPARE(model->refresher().sourceProblem(),
             std::optional<QString>(QStringLiteral("GitHub not updated: ") + reason));
    QCOMPARE(model->refresher().failureNote(), QStringLiteral("GitHub not updated: ") + reason);
    QCOMPARE(model->renderedPages(), model->pages());
}

void TestFrameModelRefresh::signedOutThenTokenFromGhCommand()
{
    FakeHttpServer github;
    qputenv("TESSARINE_GITHUB_API", github.start().toUtf8());
    github.setReply("POST /graphql",
                    jsonReply(200, TestSupport::fixture(QStringLiteral("refresh/github-graphql.json"))));
    github.setReply("GET /users/octo-cat/events",
                    jsonReply(200, TestSupport::fixture(QStringLiteral("refresh/github-events.json"))));
    writeSettings(screens(), {page("full", {"github.year"})});

    const auto model = makeModel();
    model->refresh();
    QVERIFY(waitUntilIdle(*model));
    QCOMPARE(model->errorLine(), std::nullopt);
    QCOMPARE(model->refresher().sourceProblem(),
             std::optional<QString>(QStringLiteral("GitHub not updated: ") + signInMessage));
    QVERIFY(github.requests().isEmpty());

    // Signed in with the GitHub command-line tool: its token serves, and the next run clears the
    // error line.
    FakeTools::install(QStringLiteral("gh"), "[ \"$1 $2\" = \"auth token\" ] && printf 'gho_fromcli\\n'\n");
    model->refresh();
    QVERIFY(waitUntilIdle(*model));
    QCOMPARE(model->errorLine(), std::nullopt);
    QCOMPARE(model->lastRunError(), std::nullopt);
    QCOMPARE(model->refresher().sourceProblem(), std::nullopt);
    QVERIFY(!github.requests().isEmpty());
    for (const FakeHttpServer::Request &request : github.requests())
        QCOMPARE(request.headers.value("authorization"), QByteArray("Bearer gho_fromcli"));
    QCOMPARE(model->manifest()->login, std::optional<QString>(QStringLiteral("octo-cat")));
    QCOMPARE(readObject(screenFile(QStringLiteral("data.json"))).value("github").toObject().isEmpty(), false);
    QVERIFY(!TestSupport::readFile(screenFile(QStringLiteral("manifest.json"))).contains("gho_"));
}

void TestFrameModelRefresh::hangingGhCommandIsLeftBehind()
{
    // Asked for a token, the GitHub command-line tool never answers; no GitHub widget is placed.
    FakeTools::install(QStringLiteral("gh"), "sleep 120\n");
    writeSettings(screens(), {page("full", {"today.date"})});
    const auto model = makeModel();

    QElapsedTimer clock;
    clock.start();
    model->refresh();
    QVERIFY(waitUntilIdle(*model));
    QCOMPARE(model->errorLine(), std::nullopt);
    // Given up after its ten seconds, not after the tool's two minutes.
    QVERIFY2(clock.elapsed() >= 9500 && clock.elapsed() < 40000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(readObject(screenFile(QStringLiteral("manifest.json"))).value("ok"), QJsonValue(true));
    QCOMPARE(pictures().size(), 2);
}

void TestFrameModelRefresh::pageViewThatNeverGetsReadyStillEnds()
{
    // The page view breaks off before it could declare itself ready; the renderer stops waiting
    // after its polls and takes the picture as the page stands.
    const QString views = m_dir->filePath(QStringLiteral("views"));
    QDir().mkpath(views);
    TestSupport::writeFile(QDir(views).filePath(QStringLiteral("page.html")),
                           "<html><body><script>throw new Error('broken');</script></body></html>");
    qputenv("TESSARINE_VIEWS", views.toUtf8());
    TestSupport::defaultsStore().setValue(QStringLiteral("look"), QStringLiteral("panel"));
    writeSettings(screens(), {page("full", {"today.date"})});
    const auto model = makeModel();

    model->refresh();
    QVERIFY(waitUntilIdle(*model));
    QCOMPARE(model->errorLine(), std::nullopt);
    QCOMPARE(pictures(), QStringList({"page0.png"}));
    QCOMPARE(readObject(screenFile(QStringLiteral("manifest.json"))).value("ok"), QJsonValue(true));
}

void TestFrameModelRefresh::rendererKilledDuringRefreshFailsThatRefreshOnly()
{
    // Each picture of the "slow" page takes 0.8 s, so the renderer is still drawing when killed.
    writeSettings(screens(), {page("full", {"today.date"}, QStringLiteral("slow"))});
    const auto model = makeModel();
    model->refresh();
    QVERIFY(waitUntilIdle(*model));
    QCOMPARE(model->errorLine(), std::nullopt);
    const QString goodRun = *model->manifest()->updatedAt;
    const QDateTime drawn = QFileInfo(screenFile(QStringLiteral("page0-mono-light.png"))).lastModified();
    // The renderer outlives the refresh, ready for the next one.
    const qint64 renderer = rendererProcess();
    QVERIFY(renderer != 0);

    model->refresh();
    QVERIFY(waitFor([&] {
        return readObject(screenFile(QStringLiteral("manifest.json"))).value("error").toString() ==
               QStringLiteral("The last refresh did not finish");
    }));
    QCOMPARE(::kill(pid_t(renderer), SIGKILL), 0);
    QVERIFY(waitUntilIdle(*model));
    QCOMPARE(model->errorLine(), QStringLiteral("The page renderer stopped: it was ended by signal 9."));
    const QJsonObject manifest = readObject(screenFile(QStringLiteral("manifest.json")));
    QCOMPARE(manifest.value("ok"), QJsonValue(false));
    QCOMPARE(manifest.value("updatedAt").toString(), goodRun);
    QCOMPARE(QFileInfo(screenFile(QStringLiteral("page0-mono-light.png"))).lastModified(), drawn);

    // The next refresh starts a new renderer and works.
    model->refresh();
    QVERIFY(waitUntilIdle(*model));
    QCOMPARE(model->errorLine(), std::nullopt);
    QVERIFY(QFileInfo(screenFile(QStringLiteral("page0-mono-light.png"))).lastModified() > drawn);
    const qint64 next = rendererProcess();
    QVERIFY(next != 0);
    QVERIFY(next != renderer);
}

void TestFrameModelRefresh::redrawDuringRefreshDoesNothing()
{
    // This refresh fails before it draws a picture (its renderer is killed on the first one; the
    // next renderer works), and the last run's data document is there.
    const QString renderer = m_dir->filePath(QStringLiteral("renderer.sh"));
    const QString once = m_dir->filePath(QStringLiteral("renderer-killed"));
    TestSupport::writeScript(renderer, "#!/bin/sh\n[ -e '" + once.toUtf8() + "' ] && exec '" + m_renderer +
                                           "' \"$@\"\ntouch '" + once.toUtf8() + "'\nkill -9 $$\n");
    qputenv("TESSARINE_RENDERER", renderer.toUtf8());
    writeSettings(screens(), {page("full", {"today.date"})});
    writeManifest(screens(), okManifest({"page0"}));
    const QJsonObject data{{"pages", QJsonArray{page("full", {"today.date"})}}};
    TestSupport::writeFile(screenFile(QStringLiteral("data.json")), QJsonDocument(data).toJson());

    const auto model = makeModel();
    model->refresh();
    model->redraw();
    QVERIFY(waitUntilIdle(*model));
    QVERIFY(pictures().isEmpty());
    const std::optional<QString> failure = model->errorLine();
    QVERIFY(failure);

    model->redraw();
    QVERIFY(RefreshSupport::waitFor([&] { return !model->image(QStringLiteral("page0"), true).isNull(); }, 60000));
    QCOMPARE(pictures(), QStringList({"page0-mono-dark.png", "page0-mono-light.png"}));
    // A redraw leaves the manifest and the error line as they were.
    QCOMPARE(readObject(screenFile(QStringLiteral("manifest.json"))).value("ok"), QJsonValue(false));
    QCOMPARE(model->errorLine(), failure);
}

void TestFrameModelRefresh::scheduleRefreshesNow()
{
    // The timer and the wakes are the scheduler's own (TestRefreshScheduler); here the model
    // starts refreshing through it and tells its views.
    const auto model = makeModel();
    QSignalSpy requested(model.get(), &FrameModel::refreshRequested);
    QSignalSpy refreshing(model.get(), &FrameModel::isRefreshingChanged);
    model->startSchedule();
    QCOMPARE(requested.count(), 1);
    QCOMPARE(refreshing.count(), 1);
    QVERIFY(model->isRefreshing());
    QVERIFY(waitUntilIdle(*model));
    QCOMPARE(refreshing.count(), 2);
    QCOMPARE(readObject(screenFile(QStringLiteral("manifest.json"))).value("ok"), QJsonValue(true));

    model->startSchedule();
    QCOMPARE(requested.count(), 2);
    QVERIFY(waitUntilIdle(*model));
}

void TestFrameModelRefresh::failedDrawKeepsTheLastGoodData()
{
    const QString views = copyViews();
    writeSettings(screens(), {page("full", {"today.date"})});
    const auto model = makeModel();
    model->refresh();
    QVERIFY(waitUntilIdle(*model));
    const QByteArray goodData = TestSupport::readFile(screenFile(QStringLiteral("data.json")));
    QCOMPARE(readObject(screenFile(QStringLiteral("data.json"))).value("pages").toArray().size(), 1);

    // Without its page view, the refresh after adding a page fails while drawing.
    QVERIFY(QFile::remove(QDir(views).filePath(QStringLiteral("page.html"))));
    model->addPage();
    QVERIFY(waitUntilIdle(*model));
    QVERIFY(model->errorLine());
    QCOMPARE(TestSupport::readFile(screenFile(QStringLiteral("data.json"))), goodData);

    // A look chosen then is drawn from the last good data, which has one page: the second
    // page, unknown to it, comes out in the stand-in's magenta.
    QVERIFY(QFile::copy(TestSupport::fixturePath(QStringLiteral("refresh/views/page.html")),
                        QDir(views).filePath(QStringLiteral("page.html"))));
    model->setLook(ScreenLook::Colour);
    QVERIFY(RefreshSupport::waitFor([&] { return !model->refresher().isDrawing(); }));
    QCOMPARE(pixelOf(screenFile(QStringLiteral("page0-colour-light.png"))), qRgb(0xff, 0xcc, 0x00));
    QCOMPARE(pixelOf(screenFile(QStringLiteral("page1-colour-light.png"))), qRgb(0xff, 0x00, 0xff));
}

void TestFrameModelRefresh::lookChosenDuringRefreshIsDrawnAfterIt()
{
    writeSettings(screens(), {page("full", {"today.date"}, "slow")});
    const auto model = makeModel();
    model->refresh();
    // Once drawing, the refresh has taken its look.
    QVERIFY(RefreshSupport::waitFor([&] { return model->refresher().isDrawing(); }));
    model->setLook(ScreenLook::Colour);
    QVERIFY(model->isRefreshing());
    QVERIFY(waitUntilIdle(*model));

    QVERIFY(RefreshSupport::waitFor([&] { return !model->refresher().isDrawing(); }));
    QCOMPARE(pictures(), QStringList({"page0-colour-dark.png", "page0-colour-light.png", "page0-mono-dark.png",
                                      "page0-mono-light.png"}));
    QCOMPARE(model->pictures().picturesLook(), ScreenLook::Colour);
    QCOMPARE(model->image(QStringLiteral("page0"), false).pixel(20, 20), qRgb(0xff, 0xcc, 0x00));
    QCOMPARE(model->errorLine(), std::nullopt);
}

void TestFrameModelRefresh::previousLookShownUntilTheNewOneIsDrawn()
{
    writeSettings(screens(), {page("full", {"today.date"}, "slow")});
    const auto model = makeModel();
    model->refresh();
    QVERIFY(waitUntilIdle(*model));
    QCOMPARE(model->pictures().picturesLook(), ScreenLook::Mono);

    int withoutPicture = 0;
    connect(model.get(), &FrameModel::imagesChanged, this,
            [&] { withoutPicture += model->image(QStringLiteral("page0"), false).isNull(); });
    model->setLook(ScreenLook::Colour);
    QVERIFY(model->refresher().isDrawing());
    // The colour pictures take their time; meanwhile the card keeps the mono ones.
    QCOMPARE(model->look(), ScreenLook::Colour);
    QCOMPARE(model->pictures().picturesLook(), ScreenLook::Mono);
    QCOMPARE(model->image(QStringLiteral("page0"), false).pixel(20, 20), qRgb(255, 255, 255));
    QCOMPARE(model->image(QStringLiteral("page0"), true).pixel(20, 20), qRgb(0, 0, 0));

    QVERIFY(RefreshSupport::waitFor([&] { return model->pictures().picturesLook() == ScreenLook::Colour; }));
    QCOMPARE(model->image(QStringLiteral("page0"), false).pixel(20, 20), qRgb(0xff, 0xcc, 0x00));
    QCOMPARE(model->images().size(), 2);
    QCOMPARE(withoutPicture, 0);

    // Back to mono, which has its pictures: shown at once, nothing drawn.
    model->setLook(ScreenLook::Mono);
    QCOMPARE(model->pictures().picturesLook(), ScreenLook::Mono);
    QVERIFY(!model->refresher().isDrawing());
}

void TestFrameModelRefresh::looksAreDrawnAgainAfterAnEdit()
{
    // Two pages told apart by their colour.
    writeSettings(screens(), {page("full", {"today.date"}, "#ff0000"), page("full", {"countdown"})});
    const auto model = makeModel();
    const QRgb red = qRgb(0xff, 0, 0);
    const auto pixel = [&](const char *view) { return model->image(QString::fromLatin1(view), false).pixel(20, 20); };
    model->refresh();
    QVERIFY(waitUntilIdle(*model));
    // Colour, then back to Mono: the Colour pictures of the first page list stay on disk.
    model->setLook(ScreenLook::Colour);
    QVERIFY(RefreshSupport::waitFor(
        [&] { return model->pictures().picturesLook() == ScreenLook::Colour && !model->refresher().isDrawing(); }));
    QCOMPARE(pixel("page0"), red);
    model->setLook(ScreenLook::Mono);

    // The second page goes above the first; its refresh draws Mono. Back in Colour, the card
    // keeps the good Mono pictures until Colour is drawn again in the new order.
    model->movePages({1}, 0);
    QVERIFY(waitUntilIdle(*model));
    model->setLook(ScreenLook::Colour);
    QCOMPARE(model->pictures().picturesLook(), ScreenLook::Mono);
    QVERIFY(model->refresher().isDrawing());
    QVERIFY(RefreshSupport::waitFor(
        [&] { return model->pictures().picturesLook() == ScreenLook::Colour && !model->refresher().isDrawing(); }));
    QCOMPARE(pixel("page1"), red);
    QVERIFY(pixel("page0") != red);
}

void TestFrameModelRefresh::refreshSupersedesRunningRedraw()
{
    // The last good run left four slow pages; its data document paints them red.
    QJsonArray slowPages;
    for (int index = 0; index < 4; ++index)
        slowPages.append(page("full", {"today.date"}, "slow"));
    writeSettings(screens(), slowPages);
    const QJsonObject lastData{{"pages", slowPages}, {"testPaper", "#ff0000"}};
    QDir().mkpath(screens());
    TestSupport::writeFile(screenFile(QStringLiteral("data.json")), QJsonDocument(lastData).toJson());
    writeManifest(screens(), okManifest({"page0", "page1", "page2", "page3"}));
    const auto model = makeModel();

    model->redraw();
    QVERIFY(
        RefreshSupport::waitFor([&] { return QFileInfo::exists(screenFile(QStringLiteral("page0-mono-light.png"))); }));
    // Three pages go; the refresh that follows draws the one left, quickly.
    model->editPages(
        [](QList<Page> &pages) { pages = {Page(QStringLiteral("full"), {QStringLiteral("today.date")})}; });
    QVERIFY(model->isRefreshing());
    QVERIFY(RefreshSupport::waitFor(
        [&] { return !model->isRefreshing() && !model->refreshAgain() && !model->refresher().isDrawing(); }));
    QCOMPARE(model->errorLine(), std::nullopt);

    // The redraw stopped when the refresh began to draw: nothing of its later pages was
    // written, and what is left is the refresh's.
    QCOMPARE(pictures(), QStringList({"page0-mono-dark.png", "page0-mono-light.png"}));
    QCOMPARE(pixelOf(screenFile(QStringLiteral("page0-mono-light.png"))), qRgb(255, 255, 255));
    QCOMPARE(pixelOf(screenFile(QStringLiteral("page0-mono-dark.png"))), qRgb(0, 0, 0));
    QCOMPARE(readObject(screenFile(QStringLiteral("manifest.json"))).value("views").toArray(), QJsonArray({"page0"}));
}

void TestFrameModelRefresh::picturesOfRemovedPagesGo()
{
    const QString views = copyViews();
    writeSettings(screens(), {page("full", {"today.date"}), page("full", {"countdown"})});
    QDir().mkpath(screens());
    // Pictures of pages that are gone, in any look, and of a page still there in another look
    // (drawn from older data, so they go too), and the text of a page that is gone.
    for (const char *name :
         {"page2-mono-light.png", "page2-colour-dark.png", "page7.png", "page1-colour-light.png", "page2.txt"})
        TestSupport::writeFile(screenFile(QString::fromLatin1(name)), "old picture");
    // Files that only look alike, and a folder with a picture's name.
    const QStringList others{"notes.txt", "page2-mono-light.png.bak", "page1x.png",
                             "pages.png", "page2-sepia-light.png",    "Page5.png"};
    for (const QString &name : others)
        TestSupport::writeFile(screenFile(name), "not a picture");
    QVERIFY(QDir().mkpath(screenFile(QStringLiteral("page9.png"))));
    // Links with pictures' names: the link goes, never the file it points to.
    const QString outside = m_dir->filePath(QStringLiteral("outside.png"));
    TestSupport::writeFile(outside, "mine");
    QVERIFY(QFile::link(outside, screenFile(QStringLiteral("page3.png"))));
    QVERIFY(QFile::link(m_dir->filePath(QStringLiteral("nowhere")), screenFile(QStringLiteral("page4-mono-dark.png"))));
    const auto listing = [&] {
        QStringList names =
            QDir(screens()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden);
        names.sort();
        return names;
    };
    const auto model = makeModel();

    // A failed refresh removes nothing.
    QVERIFY(QFile::remove(QDir(views).filePath(QStringLiteral("page.html"))));
    const QStringList before = listing();
    model->refresh();
    QVERIFY(waitUntilIdle(*model));
    QVERIFY(model->errorLine());
    QStringList afterFailure = listing();
    afterFailure.removeAll(QStringLiteral("manifest.json"));
    QCOMPARE(afterFailure, before);

    QVERIFY(QFile::copy(TestSupport::fixturePath(QStringLiteral("refresh/views/page.html")),
                        QDir(views).filePath(QStringLiteral("page.html"))));
    model->refresh();
    QVERIFY(waitUntilIdle(*model));
    QCOMPARE(model->errorLine(), std::nullopt);
    QStringList expected = others;
    expected << "data.json"
             << "manifest.json"
             << "page0-mono-dark.png"
             << "page0-mono-light.png"
             << "page1-mono-dark.png"
             << "page1-mono-light.png"
             << "page9.png";
    expected.sort();
    QCOMPARE(listing(), expected);
    QCOMPARE(TestSupport::readFile(outside), QByteArray("mine"));
}

void TestFrameModelRefresh::keepsEachPagesTextBesideItsPictures_data()
{
    QTest::addColumn<QString>("look");
    QTest::addColumn<int>("pictures");

    QTest::newRow("mono, light and dark") << "mono" << 4;
    QTest::newRow("panel") << "panel" << 2;
}

void TestFrameModelRefresh::keepsEachPagesTextBesideItsPictures()
{
    QFETCH(QString, look);
    QFETCH(int, pictures);
    TestSupport::defaultsStore().setValue(QStringLiteral("look"), look);
    // The stand-in page view, with words for each page that say which page they are.
    const QString views = copyViews();
    const QString pageView = QDir(views).filePath(QStringLiteral("page.html"));
    QByteArray html = TestSupport::readFile(pageView);
    html.replace("</body>", "<script>window.Tess = { text: { read: () => 'Page ' + window.TESSARINE.page + "
                            "' in words, ' + window.TESSARINE.mode } };</script></body>");
    QVERIFY(QFile::remove(pageView));
    QVERIFY(TestSupport::writeFile(pageView, html));
    writeSettings(screens(), {page("full", {"today.date"}), page("full", {"countdown"})});

    const auto model = makeModel();
    QCOMPARE(model->pictures().pageText(QStringLiteral("page0")), std::nullopt);
    model->refresh();
    QVERIFY(waitUntilIdle(*model));
    QCOMPARE(model->errorLine(), std::nullopt);
    QCOMPARE(this->pictures().size(), pictures);
    // One text a page, whatever the look; the panel's is drawn in its own mode.
    const QString mode = look == QStringLiteral("panel") ? QStringLiteral("panel") : QStringLiteral("preview");
    for (int index = 0; index < 2; ++index) {
        const QString words = QStringLiteral("Page %1 in words, %2").arg(index).arg(mode);
        QCOMPARE(QString::fromUtf8(TestSupport::readFile(screenFile(QStringLiteral("page%1.txt").arg(index)))), words);
        QCOMPARE(model->pictures().pageText(QStringLiteral("page%1").arg(index)), std::optional<QString>(words));
    }
    QCOMPARE(model->pictures().pageText(QStringLiteral("page2")), std::nullopt);
}

int main(int argc, char *argv[])
{
    PageRenderer::prepareEnvironment(PageRenderer::Platform::AlwaysOffscreen);
    QApplication application(argc, argv);
    TestFrameModelRefresh test;
    return QTest::qExec(&test, argc, argv);
}

#include "TestFrameModelRefresh.moc"
