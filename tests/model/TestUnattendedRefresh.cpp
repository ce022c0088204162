// SPDX-License-Identifier: GPL-3.0-or-later
#include "FakeTools.h"
#include "RefreshSupport.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

using namespace RefreshSupport;

namespace {

const QByteArray token = "gho_unattended_secret";

} // namespace

// Runs the real program in its unattended refresh mode (APP_REFRESH_TEST) against a loopback
// GitHub, with the GitHub command-line tool played by a script that hands out the token, the
// shipped page view and catalogue, and no display.
class TestUnattendedRefresh : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void refreshesTheStartingPages();
    void reportsAFailedRefresh();
    void githubFailureLeavesOnlyItsSlotsEmpty_data();
    void githubFailureLeavesOnlyItsSlotsEmpty();
    void killedHalfWayLeavesNoBrokenFile();

private:
    struct Run
    {
        int exitCode = -1;
        QByteArray output;
        QByteArray errors;
    };

    QProcessEnvironment environment() const;
    Run runProgram(const QString &views = QStringLiteral(TESSARINE_TEST_VIEWS));
    QString screens() const { return m_dir->filePath(QStringLiteral("screens")); }
    QString screenFile(const QString &name) const { return QDir(screens()).filePath(name); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeHttpServer> m_github;
};

void TestUnattendedRefresh::init()
{
    QVERIFY(FakeTools::isolated());
    m_dir = std::make_unique<QTemporaryDir>();
    m_github = std::make_unique<FakeHttpServer>();
    m_github->start();
    FakeTools::useLoginShell(QStringLiteral("/bin/sh"));
    FakeTools::install(QStringLiteral("gh"), "[ \"$1 $2\" = \"auth token\" ] || exit 1\necho " + token + "\n");
}

void TestUnattendedRefresh::cleanup()
{
    m_github.reset();
    m_dir.reset();
}

QProcessEnvironment TestUnattendedRefresh::environment() const
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("APP_REFRESH_TEST"), QStringLiteral("1"));
    environment.insert(QStringLiteral("TESSARINE_SCREENS"), screens());
    environment.insert(QStringLiteral("TESSARINE_VIEWS"), QStringLiteral(TESSARINE_TEST_VIEWS));
    environment.insert(QStringLiteral("TESSARINE_GITHUB_API"), m_github->baseUrl());
    // No display and no platform chosen: the program must find its way to offscreen itself.
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        environment.remove(QString::fromLatin1(name));
    return environment;
}

TestUnattendedRefresh::Run TestUnattendedRefresh::runProgram(const QString &views)
{
    QProcess program;
    QProcessEnvironment with = environment();
    with.insert(QStringLiteral("TESSARINE_VIEWS"), views);
    program.setProcessEnvironment(with);
    QSignalSpy finished(&program, &QProcess::finished);
    program.start(QStringLiteral(TESSARINE_BINARY), {});
    if (!program.waitForStarted() || !finished.wait(240000)) {
        program.kill();
        return {};
    }
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1, program.readAllStandardOutput(),
            program.readAllStandardError()};
}

void TestUnattendedRefresh::refreshesTheStartingPages()
{
    // The user's settings hold the catalogue's five starting pages.
    const QJsonObject catalogue = readObject(QStringLiteral(TESSARINE_TEST_VIEWS "/widgets.json"));
    writeSettings(screens(), catalogue.value("defaultPages").toArray(), {"claude", "codex"});

    m_github->setReply("POST /graphql",
                       jsonReply(200, TestSupport::fixture(QStringLiteral("refresh/github-graphql.json"))));
    m_github->setReply("GET /users/octo-cat/events",
                       jsonReply(200, TestSupport::fixture(QStringLiteral("refresh/github-events.json"))));

    const Run run = runProgram();
    QVERIFY2(QRegularExpression(QStringLiteral("\\Arefresh ok in \\d+\\.\\ds\\n\\z"))
                 .match(QString::fromUtf8(run.output))
                 .hasMatch(),
             run.output.constData());
    QCOMPARE(run.exitCode, 0);
    QVERIFY(!run.output.contains(token) && !run.errors.contains(token));

    // The token from the command-line tool reached GitHub.
    QVERIFY(!m_github->requests().isEmpty());
    for (const FakeHttpServer::Request &request : m_github->requests())
        QCOMPARE(request.headers.value("authorization"), QByteArray("Bearer " + token));

    const QJsonObject manifest = readObject(screenFile(QStringLiteral("manifest.json")));
    QCOMPARE(manifest.value("ok"), QJsonValue(true));
    QCOMPARE(manifest.value("login").toString(), QStringLiteral("octo-cat"));
    QCOMPARE(manifest.value("views").toArray(), QJsonArray({"page0", "page1", "page2", "page3", "page4"}));
    QCOMPARE(manifest.value("titles").toArray().size(), 5);
    QVERIFY(!manifest.value("titles").toArray().contains(QJsonValue("Page")));

    const QJsonObject data = readObject(screenFile(QStringLiteral("data.json")));
    QCOMPARE(data.value("brand").toString(), QStringLiteral("tessarine"));
    QVERIFY(data.value("github").isObject());
    QCOMPARE(data.value("pages").toArray().size(), 5);

    QStringList expected;
    for (int page = 0; page < 5; ++page) {
        for (const char *appearance : {"dark", "light"})
            expected.append(QStringLiteral("page%1-mono-%2.png").arg(page).arg(QLatin1String(appearance)));
    }
    QCOMPARE(QDir(screens()).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name), expected);
    for (const QString &file : expected)
        QCOMPARE(QImage(screenFile(file)).size(), QSize(4080, 1440));
}

void TestUnattendedRefresh::reportsAFailedRefresh()
{
    // Without a page view nothing can be drawn: the whole refresh fails.
    writeSettings(screens(), {page("full", {"today.date"})});
    const QString views = m_dir->filePath(QStringLiteral("no-views"));
    QDir().mkpath(views);

    const Run run = runProgram(views);
    QVERIFY2(QRegularExpression(
                 QStringLiteral("\\Arefresh failed: The page view could not be loaded.* in \\d+\\.\\ds\\n\\z"))
                 .match(QString::fromUtf8(run.output))
                 .hasMatch(),
             run.output.constData());
    QCOMPARE(run.exitCode, 1);

    const QJsonObject manifest = readObject(screenFile(QStringLiteral("manifest.json")));
    QCOMPARE(manifest.value("ok"), QJsonValue(false));
    QVERIFY(manifest.value("error").toString().startsWith(QStringLiteral("The page view could not be loaded")));
    QVERIFY(!QFileInfo::exists(screenFile(QStringLiteral("data.json"))));
    QVERIFY(QDir(screens()).entryList({QStringLiteral("*.png")}, QDir::Files).isEmpty());
}

void TestUnattendedRefresh::githubFailureLeavesOnlyItsSlotsEmpty_data()
{
    QTest::addColumn<bool>("signedIn");
    QTest::addColumn<QString>("reason");

    QTest::newRow("no sign-in") << false << "Sign in to GitHub in Connections, or remove the GitHub widgets.";
    QTest::newRow("token refused") << true << "GitHub 401: Bad credentials";
}

void TestUnattendedRefresh::githubFailureLeavesOnlyItsSlotsEmpty()
{
    QFETCH(bool, signedIn);
    QFETCH(QString, reason);
    if (!signedIn)
        FakeTools::install(QStringLiteral("gh"), "exit 1\n");
    m_github->setReply("POST /graphql", jsonReply(401, R"({"message": "Bad credentials"})"));
    writeSettings(screens(), {page("halves", {"github.year", "today.date"}), page("full", {"plans.all"})}, {"gemini"});

    const Run run = runProgram();
    const QByteArray expectedStart = "refresh ok (GitHub not updated: " + reason.toUtf8() + ") in ";
    QVERIFY2(run.output.startsWith(expectedStart), run.output.constData());
    QCOMPARE(run.exitCode, 0);

    // Both pages are drawn from this run's data; the GitHub slot says why it is empty and the
    // date beside it is today's.
    QCOMPARE(
        QDir(screens()).entryList({QStringLiteral("*.png")}, QDir::Files, QDir::Name),
        QStringList({"page0-mono-dark.png", "page0-mono-light.png", "page1-mono-dark.png", "page1-mono-light.png"}));
    const QJsonObject manifest = readObject(screenFile(QStringLiteral("manifest.json")));
    QCOMPARE(manifest.value("ok"), QJsonValue(true));
    QCOMPARE(manifest.value("error").toString(), QStringLiteral("GitHub not updated: ") + reason);
    const QJsonObject data = readObject(screenFile(QStringLiteral("data.json")));
    QCOMPARE(data.value("ai").toObject().value("providers").toArray().size(), 1);
    const QString words = QString::fromUtf8(TestSupport::readFile(screenFile(QStringLiteral("page0.txt"))));
    QVERIFY2(words.contains(QStringLiteral("GitHub not updated. ") + reason), qPrintable(words));
    const QDate today = QDate::currentDate();
    QVERIFY2(words.contains(QLocale(QLocale::English).toString(today, QStringLiteral("dddd d MMMM yyyy"))),
             qPrintable(words));
    const QString plans = QString::fromUtf8(TestSupport::readFile(screenFile(QStringLiteral("page1.txt"))));
    QVERIFY2(plans.contains(QStringLiteral("Gemini")), qPrintable(plans));
}

void TestUnattendedRefresh::killedHalfWayLeavesNoBrokenFile()
{
    QJsonArray pages;
    for (int index = 0; index < 6; ++index)
        pages.append(page("halves", {"today.date", "countdown"}));
    writeSettings(screens(), pages);

    // Killed outright once the first picture is there, with more pictures to come.
    QProcess program;
    program.setProcessEnvironment(environment());
    program.start(QStringLiteral(TESSARINE_BINARY), {});
    QVERIFY(program.waitForStarted());
    QVERIFY(waitFor([&] { return QFileInfo::exists(screenFile(QStringLiteral("page0-mono-light.png"))); }, 120000));
    program.kill();
    QVERIFY(program.waitForFinished());
    QVERIFY(!program.readAllStandardOutput().contains("refresh ok"));

    // Every file there is whole, and the manifest does not pass the run off as a good one.
    const QJsonObject manifest = readObject(screenFile(QStringLiteral("manifest.json")));
    QCOMPARE(manifest.value("ok"), QJsonValue(false));
    QCOMPARE(manifest.value("error").toString(), QStringLiteral("The last refresh did not finish"));
    // Only a run whose pictures were all drawn leaves its data document.
    QVERIFY(!QFileInfo::exists(screenFile(QStringLiteral("data.json"))));
    QVERIFY(!TestSupport::readFile(QFileInfo(screens()).dir().filePath(QStringLiteral("settings.json"))).isEmpty());
    const QStringList pictures = QDir(screens()).entryList({QStringLiteral("*.png")}, QDir::Files);
    QVERIFY(!pictures.isEmpty());
    for (const QString &picture : pictures)
        QVERIFY2(!QImage(screenFile(picture)).isNull(), qPrintable(picture));

    // The next run starts over and finishes.
    const Run run = runProgram();
    QVERIFY2(run.output.startsWith("refresh ok in "), run.output.constData());
    QCOMPARE(readObject(screenFile(QStringLiteral("manifest.json"))).value("ok"), QJsonValue(true));
    QCOMPARE(QDir(screens()).entryList({QStringLiteral("*.png")}, QDir::Files).size(), 12);
    QCOMPARE(readObject(screenFile(QStringLiteral("data.json"))).value("pages").toArray().size(), 6);
}

QTEST_GUILESS_MAIN(TestUnattendedRefresh)
#include "TestUnattendedRefresh.moc"
