// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeTools.h"
#include "PageDescription.h"
#include "RunConfiguration.h"
#include "TestSupport.h"
#include "ToolMachine.h"
#include "model/FirstStart.h"
#include "model/FrameModel.h"
#include "platform/CalendarStore.h"
#include "platform/Defaults.h"
#include "platform/InMemoryCredentialStore.h"
#include "services/GitHubAuth.h"

#include <QCoroTask>
#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

using TestSupport::describe;

namespace {

QJsonObject readObject(const QString &path)
{
    return QJsonDocument::fromJson(TestSupport::readFile(path)).object();
}

} // namespace

// The first start without a display, on a machine of fake tools (ToolMachine).
class TestFirstStart : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void neededOnlyForANewcomerWithoutDisplay_data();
    void neededOnlyForANewcomerWithoutDisplay();
    void startsWithThePagesRecommendedForTheMachine_data();
    void startsWithThePagesRecommendedForTheMachine();
    void theProgramRendersTheFirstPagesWithoutADisplay();

private:
    QString screens() const { return m_machine->screens(); }
    QString settingsFile() const { return m_machine->path(QStringLiteral("settings.json")); }
    void findOnTheMachine(const QStringList &things);

    std::unique_ptr<ToolMachine> m_machine;
};

void TestFirstStart::initTestCase()
{
    QVERIFY(FakeTools::isolated());
    // zsh keeps the PATH it is given, so the probe sees exactly the fake tools.
    ToolMachine::requireZsh();
}

void TestFirstStart::init()
{
    m_machine = std::make_unique<ToolMachine>();
    QVERIFY(m_machine->enter());
    // Read by the model and by the program this test starts.
    qputenv("TESSARINE_SCREENS", screens().toUtf8());
    qputenv("TESSARINE_VIEWS", TESSARINE_TEST_VIEWS);
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
}

void TestFirstStart::cleanup()
{
    TestSupport::clearDefaults();
    m_machine.reset();
}

// What ToolMachine::find() puts on the machine, and "calendar" (the user's consent).
void TestFirstStart::findOnTheMachine(const QStringList &things)
{
    for (const QString &thing : things) {
        if (thing == QStringLiteral("calendar"))
            CalendarStore().setAuthorization(CalendarStore::Authorization::FullAccess);
        else
            m_machine->find({thing});
    }
}

void TestFirstStart::neededOnlyForANewcomerWithoutDisplay_data()
{
    QTest::addColumn<QByteArray>("display");
    QTest::addColumn<QByteArray>("waylandDisplay");
    QTest::addColumn<bool>("settingsFile");
    QTest::addColumn<bool>("onboarded");
    QTest::addColumn<bool>("needed");

    QTest::newRow("newcomer, no display") << QByteArray() << QByteArray() << false << false << true;
    QTest::newRow("newcomer on X11") << QByteArray(":0") << QByteArray() << false << false << false;
    QTest::newRow("newcomer on Wayland") << QByteArray() << QByteArray("wayland-0") << false << false << false;
    QTest::newRow("settings file exists") << QByteArray() << QByteArray() << true << false << false;
    QTest::newRow("already onboarded") << QByteArray() << QByteArray() << false << true << false;
}

void TestFirstStart::neededOnlyForANewcomerWithoutDisplay()
{
    QFETCH(QByteArray, display);
    QFETCH(QByteArray, waylandDisplay);
    QFETCH(bool, settingsFile);
    QFETCH(bool, onboarded);
    QFETCH(bool, needed);

    if (!display.isEmpty())
        qputenv("DISPLAY", display);
    if (!waylandDisplay.isEmpty())
        qputenv("WAYLAND_DISPLAY", waylandDisplay);
    if (settingsFile)
        QVERIFY(TestSupport::writeFile(this->settingsFile(), "{}"));
    if (onboarded)
        Defaults::setValue(QStringLiteral("onboarded"), true);

    FrameModel model(TestSupport::configuration(), std::make_shared<InMemoryCredentialStore>());
    QCOMPARE(FirstStart::isNeeded(model), needed);
}

void TestFirstStart::startsWithThePagesRecommendedForTheMachine_data()
{
    QTest::addColumn<QStringList>("found");
    QTest::addColumn<QString>("signedInAs"); // a token with this login in the credential store
    QTest::addColumn<QStringList>("pages");
    QTest::addColumn<QStringList>("providers");

    const QString day = QStringLiteral("halves[today.date,countdown]");
    // The date-and-countdown page once, not once as the first page and again as the day page.
    QTest::newRow("nothing found") << QStringList() << QString() << QStringList{day} << QStringList();
    QTest::newRow("everything found") << QStringList{"gh", "codex", "grok", "gemini", "claude", "wispr"} << QString()
                                      << QStringList{"wideTwo[github.overview,provider.claude,provider.codex]",
                                                     "full[github.year]", "halves[github.month,github.activity]",
                                                     "full[plans.all]", "thirds[today.date,countdown,provider.wispr]"}
                                      << QStringList{"claude", "codex", "grok", "wispr"};
    QTest::newRow("GitHub CLI without a login, Gemini only")
        << QStringList{"gh-signed-out", "gemini"} << QString() << QStringList{day} << QStringList();
    QTest::newRow("signed in to Tessarine, Grok")
        << QStringList{"grok"} << QStringLiteral("mona")
        << QStringList{"twoThirdsLeft[github.overview,provider.grok]", "full[github.year]",
                       "halves[github.month,github.activity]", day}
        << QStringList{"grok"};
    QTest::newRow("Wispr Flow and the calendar")
        << QStringList{"wispr", "calendar"} << QString()
        << QStringList{"halves[provider.wispr,calendar.next]", "thirds[calendar.next,countdown,provider.wispr]"}
        << QStringList{"wispr"};
}

void TestFirstStart::startsWithThePagesRecommendedForTheMachine()
{
    QFETCH(QStringList, found);
    QFETCH(QString, signedInAs);
    QFETCH(QStringList, pages);
    QFETCH(QStringList, providers);

    findOnTheMachine(found);
    auto credentials = std::make_shared<InMemoryCredentialStore>();
    if (!signedInAs.isEmpty()) {
        const QByteArray token = R"({"access": "gho_test", "login": ")" + signedInAs.toUtf8() + "\"}";
        QCoro::waitFor(credentials->add(GitHubAuth::storeService, GitHubAuth::storeAccount, token));
    }
    FrameModel model(TestSupport::configuration(), credentials);
    QVERIFY(model.needsWelcome());
    QVERIFY(FirstStart::isNeeded(model));

    QCoro::waitFor(FirstStart::run(model));

    QCOMPARE(describe(model.pages()), pages);
    QCOMPARE(model.providers(), providers);
    // Done as the welcome flow would have finished: saved, onboarded, refreshing.
    QVERIFY(Defaults::boolValue(QStringLiteral("onboarded")));
    QVERIFY(!model.needsWelcome());
    QVERIFY(!FirstStart::isNeeded(model));
    const QJsonObject settings = readObject(settingsFile());
    QCOMPARE(describe(settings.value(QStringLiteral("pages")).toArray()), pages);
    QCOMPARE(settings.value(QStringLiteral("providers")).toVariant().toStringList(), providers);
    QVERIFY(model.isRefreshing());
}

void TestFirstStart::theProgramRendersTheFirstPagesWithoutADisplay()
{
    findOnTheMachine({QStringLiteral("claude")});
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("APP_REFRESH_TEST"), QStringLiteral("1"));
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));

    QProcess program;
    program.setProcessEnvironment(environment);
    QSignalSpy finished(&program, &QProcess::finished);
    program.start(QStringLiteral(TESSARINE_BINARY), {});
    QVERIFY(program.waitForStarted());
    QVERIFY(finished.wait(240000));
    const QByteArray output = program.readAllStandardOutput();
    QVERIFY2(output.startsWith("refresh ok in "), output.constData());
    QCOMPARE(program.exitCode(), 0);

    // No GitHub account anywhere: the pages are Claude's and the day's, and they were drawn.
    const QStringList expected{"twoThirdsLeft[provider.claude,today.date]", "halves[today.date,countdown]"};
    QCOMPARE(describe(readObject(settingsFile()).value(QStringLiteral("pages")).toArray()), expected);
    const QJsonObject manifest = readObject(QDir(screens()).filePath(QStringLiteral("manifest.json")));
    QCOMPARE(manifest.value(QStringLiteral("ok")), QJsonValue(true));
    QCOMPARE(manifest.value(QStringLiteral("views")).toArray(), QJsonArray({"page0", "page1"}));
    for (const QString &view : {QStringLiteral("page0"), QStringLiteral("page1")}) {
        const QImage picture(QDir(screens()).filePath(view + QStringLiteral("-mono-light.png")));
        QVERIFY2(!picture.isNull(), qPrintable(view));
    }
    QVERIFY(TestSupport::defaultsStore().value(QStringLiteral("onboarded")).toBool());
}

QTEST_GUILESS_MAIN(TestFirstStart)
#include "TestFirstStart.moc"
