// SPDX-License-Identifier: GPL-3.0-or-later
// The refresh pipeline alone: fake inputs stand for the model and a fixed clock for the system's;
// the renderer process draws the stand-in page view of tests/fixtures/refresh/views.

#include "RefreshSupport.h"
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "model/RefreshController.h"
#include "model/RefreshScheduler.h"
#include "model/ScreenPictures.h"
#include "model/WallClock.h"
#include "platform/JsonFile.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace RefreshSupport;

namespace {

const QString signInMessage = QStringLiteral("Sign in to GitHub in Connections, or remove the GitHub widgets.");
const QDateTime fixedNow(QDate(2026, 3, 1), QTime(9, 15, 42, 120), QTimeZone::utc());

class FixedClock : public WallClock
{
public:
    QDateTime now() const override { return fixedNow; }
};

// Counts how often the settings are read.
class FakeInputs : public RefreshInputs
{
public:
    Settings current;
    mutable int settingsReads = 0;

    Settings settings() const override
    {
        ++settingsReads;
        return current;
    }
    ScreenLook look() const override { return ScreenLook::Panel; }
    QCoro::Task<std::optional<QString>> token() override { co_return std::nullopt; }
    QCoro::Task<QJsonObject> calendar() override { co_return QJsonObject(); }
};

QList<Page> pages(qsizetype count, const QString &title = {})
{
    return QList<Page>(count, Page(QStringLiteral("full"), {QStringLiteral("today.date")},
                                   title.isEmpty() ? std::nullopt : std::optional<QString>(title)));
}

} // namespace

class TestRefreshController : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void aRunReadsTheSettingsOnce_data();
    void aRunReadsTheSettingsOnce();
    void pageAddedWhileDrawingWaitsForTheNextRun();
    void failedRefreshIsInSight();
    void statusAndErrorLines_data();
    void statusAndErrorLines();

private:
    QString screens() const { return m_dir->filePath(QStringLiteral("screens")); }
    QJsonObject manifest() const { return readObject(screens() + QStringLiteral("/manifest.json")); }
    bool refreshAndWait()
    {
        m_controller->refresh();
        return waitFor([this] { return !m_controller->isRefreshing() && !m_controller->refreshAgain(); });
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScreenPictures> m_pictures;
    FakeInputs *m_inputs = nullptr;
    std::unique_ptr<RefreshController> m_controller;
};

void TestRefreshController::init()
{
    m_controller.reset();
    m_dir = std::make_unique<QTemporaryDir>();
    m_pictures = std::make_unique<ScreenPictures>(screens(), ScreenLook::Panel);
    auto inputs = std::make_unique<FakeInputs>();
    m_inputs = inputs.get();
    const Configuration configuration =
        TestSupport::configuration(screens(), TestSupport::fixturePath(QStringLiteral("refresh/views")));
    m_controller = std::make_unique<RefreshController>(std::move(inputs), configuration, *m_pictures, nullptr,
                                                       std::make_shared<FixedClock>());
}

void TestRefreshController::aRunReadsTheSettingsOnce_data()
{
    QTest::addColumn<int>("pageCount");
    QTest::addColumn<bool>("catalogue");
    QTest::addColumn<QString>("title");

    QTest::newRow("one page") << 1 << true << "Today";
    QTest::newRow("three pages, no catalogue") << 3 << false << "Page";
    QTest::newRow("more than are drawn") << int(RefreshController::mostDrawnPages) + 2 << true << "Today";
}

void TestRefreshController::aRunReadsTheSettingsOnce()
{
    QFETCH(int, pageCount);
    QFETCH(bool, catalogue);
    QFETCH(QString, title);
    m_inputs->current.pages = pages(pageCount);
    if (catalogue)
        m_inputs->current.catalogue = Catalogue::fromJson(
            *JsonFile::read(TestSupport::fixturePath(QStringLiteral("refresh/views/widgets.json"))));
    QSignalSpy refreshed(m_controller.get(), &RefreshController::dataRefreshed);

    m_controller->refresh();
    QCOMPARE(m_controller->statusLine(), QStringLiteral("Refreshing\u2026"));
    QVERIFY(waitFor([this] { return !m_controller->isRefreshing(); }));
    QCOMPARE(m_controller->errorLine(), std::nullopt);
    QVERIFY(m_controller->statusLine().startsWith(QStringLiteral("Updated ")));
    QCOMPARE(m_inputs->settingsReads, 1);
    const qsizetype drawn = std::min<qsizetype>(pageCount, RefreshController::mostDrawnPages);
    QCOMPARE(manifest().value("views").toArray().size(), drawn);
    QCOMPARE(manifest().value("titles").toArray(), QJsonArray::fromStringList(QStringList(drawn, title)));
    QCOMPARE(manifest().value("updatedAt").toString(), QStringLiteral("2026-03-01T09:15:42.120Z"));
    // The document reaches the alerts from the refresh itself; every page is in it.
    QCOMPARE(refreshed.size(), 1);
    QCOMPARE(refreshed.first().first().toJsonObject().value("pages").toArray().size(), pageCount);
}

void TestRefreshController::pageAddedWhileDrawingWaitsForTheNextRun()
{
    const QString earlierRun = QStringLiteral("2026-02-28T07:00:00.250Z");
    writeManifest(screens(), {{"ok", true}, {"updatedAt", earlierRun}, {"login", "octo"}, {"views", QJsonArray()}});
    m_pictures->readManifest();
    m_inputs->current.pages = pages(1, QStringLiteral("slow"));
    m_controller->refresh();
    QVERIFY(waitFor([this] { return m_controller->isDrawing(); }));
    m_inputs->current.pages += pages(1);
    // While pictures are replaced, the manifest no longer claims the last run's success.
    QCOMPARE(manifest().value("ok"), QJsonValue(false));
    QCOMPARE(manifest().value("error"), QJsonValue("The last refresh did not finish"));
    QCOMPARE(manifest().value("updatedAt"), QJsonValue(earlierRun));
    QCOMPARE(manifest().value("login"), QJsonValue("octo"));
    // What the card shows is not touched until the run ends.
    QCOMPARE(m_controller->errorLine(), std::nullopt);

    QVERIFY(waitFor([this] { return !m_controller->isRefreshing(); }));
    QCOMPARE(manifest().value("views").toArray(), QJsonArray({"page0"}));
    QCOMPARE(m_controller->renderedPages().size(), 1);
    QVERIFY(refreshAndWait());
    QCOMPARE(manifest().value("views").toArray(), QJsonArray({"page0", "page1"}));
}

void TestRefreshController::failedRefreshIsInSight()
{
    // A GitHub widget while signed out: every page is drawn, and the card's mark says what is
    // missing.
    m_inputs->current.pages = {Page(QStringLiteral("full"), {QStringLiteral("github.year")})};
    m_inputs->current.pages += pages(1);
    QVERIFY(refreshAndWait());
    QCOMPARE(m_controller->failureNote(), QStringLiteral("GitHub not updated: ") + signInMessage);
    QCOMPARE(m_controller->staleSlotText(), QStringLiteral("Updating\u2026"));
    const QList<Page> drawnPages = m_inputs->current.pages;
    QCOMPARE(m_controller->renderedPages(), drawnPages);

    // A folder where the second page's picture goes: the draw fails after the first page, and
    // neither the manifest nor the card claims success.
    const QString second = screens() + QStringLiteral("/page1.png");
    QVERIFY(QFile::remove(second) && QDir().mkpath(second));
    m_inputs->current.pages = pages(2);
    QVERIFY(refreshAndWait());
    const std::optional<QString> error = m_controller->errorLine();
    QVERIFY(error && error->startsWith(QStringLiteral("Tessarine couldn’t save")));
    QCOMPARE(m_controller->staleSlotText(), QStringLiteral("Not updated: ") + *error);
    QCOMPARE(m_controller->failureNote(), QStringLiteral("Last refresh failed: ") + *error);
    QCOMPARE(m_controller->renderedPages(), drawnPages);
    QCOMPARE(manifest().value("ok"), QJsonValue(false));
    QCOMPARE(manifest().value("error"), QJsonValue(*error));
    QCOMPARE(manifest().value("updatedAt"), QJsonValue("2026-03-01T09:15:42.120Z"));

    QVERIFY(QDir().rmdir(second));
    QVERIFY(refreshAndWait());
    QCOMPARE(m_controller->failureNote(), QString());
    QCOMPARE(manifest().value("ok"), QJsonValue(true));
}

void TestRefreshController::statusAndErrorLines_data()
{
    QTest::addColumn<QJsonObject>("manifest");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("error");

    // 09:15 on Sunday 1 March 2026 in the test's own time zone.
    const QString sundayMorning =
        QDateTime(QDate(2026, 3, 1), QTime(9, 15, 42, 120)).toUTC().toString(Qt::ISODateWithMs);
    const QJsonObject ok{{"ok", true}, {"updatedAt", sundayMorning}, {"views", QJsonArray{"page0"}}};
    QJsonObject failed = ok;
    failed.insert("ok", false);
    QJsonObject failedWithError = failed;
    failedWithError.insert("error", "GitHub 502: Bad gateway");
    QJsonObject undated = ok;
    undated.insert("updatedAt", "2026-03-01");

    QTest::newRow("no manifest") << QJsonObject() << "Not updated yet" << QString();
    QTest::newRow("good run") << ok << "Updated 09:15 \u00B7 Sun 1 Mar" << QString();
    QTest::newRow("failed without text") << failed << "Updated 09:15 \u00B7 Sun 1 Mar"
                                         << "The last refresh failed";
    QTest::newRow("failed with text") << failedWithError << "Updated 09:15 \u00B7 Sun 1 Mar"
                                      << "GitHub 502: Bad gateway";
    QTest::newRow("date only") << undated << "Not updated yet" << QString();
}

void TestRefreshController::statusAndErrorLines()
{
    QFETCH(QJsonObject, manifest);
    QFETCH(QString, status);
    QFETCH(QString, error);
    if (!manifest.isEmpty())
        writeManifest(screens(), manifest);

    m_pictures->readManifest();
    QCOMPARE(m_controller->statusLine(), status);
    QCOMPARE(m_controller->errorLine(), error.isEmpty() ? std::nullopt : std::optional<QString>(error));
}

QTEST_GUILESS_MAIN(TestRefreshController)
#include "TestRefreshController.moc"
