// SPDX-License-Identifier: GPL-3.0-or-later
// The card's side of the renderer process, against the real renderer process and against small
// programs that crash, hang or talk nonsense in its place.

#include "TestSupport.h"
#include "kit/Problem.h"
#include "render/RenderClient.h"
#include "render/RenderJob.h"
#include "render/RenderStream.h"

#include <QCoreApplication>
#include <QCoro/QCoroTask>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <chrono>
#include <csignal>

using namespace std::chrono_literals;

namespace {

// Green for page 0, blue for page 2; page 1 never becomes ready, so a job for it stays in the
// renderer for about five seconds.
const QByteArray pageView = R"(<!DOCTYPE html><html><head><style>
html, body { margin: 0; width: 1360px; height: 480px; background: transparent; }
#c { position: absolute; left: 0; top: 0; width: 1360px; height: 480px; }
</style></head><body><div id="c"></div><script>
const t = window.TESSARINE;
document.getElementById("c").style.background = t.page === 2 ? "#0000ff" : "#00ff00";
if (t.page !== 1)
    requestAnimationFrame(() => requestAnimationFrame(() => { document.body.dataset.ready = "1"; }));
</script></body></html>)";

struct Outcome
{
    QByteArray png;
    QString error;
};

// QCoro::waitFor never returns from a task that throws, so the error is caught inside.
QCoro::Task<Outcome> draw(RenderClient &client, int page, QString mode = QStringLiteral("preview"), int scale = 1)
{
    Outcome outcome;
    try {
        outcome.png = co_await client.render(QStringLiteral("{}"), page, mode, std::nullopt, scale);
    } catch (const Problem &error) {
        outcome.error = error.message();
    }
    co_return outcome;
}

// The next reply on the stream, past the notices that jobs were taken, which are counted.
std::optional<QByteArray> nextReply(RenderStream &stream, int &taken)
{
    std::optional<QByteArray> message = stream.next();
    for (; message == RenderReply::takenNotice(); message = stream.next())
        ++taken;
    return message;
}

bool processGone(qint64 pid)
{
    return ::kill(pid_t(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

class TestRenderClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void drawsInTheRendererProcess();
    void keepsOneProcessForManyPictures();
    void nextPictureIsSentAhead();
    void pageViewErrorsKeepTheProcess();
    void killedDuringAJobFailsThatPictureOnly();
    void hangingRendererIsStoppedAfterTheTimeout();
    void rendererFaults_data();
    void rendererFaults();
    void missingProgramCannotStart();
    void idleRendererEndsAndIsStartedAgain();
    void rendererProcessIsQuiet();
    void rendererProcessAnswersInTheOrderOfTheJobs();
    void rendererProcessEndsOnInputThatIsNoJob_data();
    void rendererProcessEndsOnInputThatIsNoJob();

private:
    RenderClient *realClient(const QString &viewsDir, const QStringList &extra = {});
    RenderClient *fakeClient(const QByteArray &script);

    QTemporaryDir m_scratch;
    QString m_views;
    int m_scripts = 0;
};

void TestRenderClient::initTestCase()
{
    QVERIFY(m_scratch.isValid());
    m_views = m_scratch.filePath(QStringLiteral("views"));
    TestSupport::writeFile(m_views + QStringLiteral("/page.html"), pageView);
}

RenderClient *TestRenderClient::realClient(const QString &viewsDir, const QStringList &extra)
{
    return new RenderClient(QStringLiteral(TESSARINE_BINARY),
                            QStringList{QStringLiteral("render-helper"), QStringLiteral("--views"), viewsDir} + extra,
                            this);
}

RenderClient *TestRenderClient::fakeClient(const QByteArray &script)
{
    const QString path = m_scratch.filePath(QStringLiteral("fake%1.sh").arg(++m_scripts));
    TestSupport::writeScript(path, "#!/bin/sh\n" + script);
    return new RenderClient(path, {}, this);
}

void TestRenderClient::drawsInTheRendererProcess()
{
    std::unique_ptr<RenderClient> client(realClient(m_views));
    const Outcome preview = QCoro::waitFor(draw(*client, 0, QStringLiteral("preview"), 3));
    QCOMPARE(preview.error, QString());
    const QImage picture = QImage::fromData(preview.png, "PNG");
    QCOMPARE(picture.size(), QSize(4080, 1440));
    QCOMPARE(picture.pixelColor(2000, 700), QColor(0, 255, 0));

    const Outcome panel = QCoro::waitFor(draw(*client, 2, QStringLiteral("panel"), 1));
    QCOMPARE(panel.error, QString());
    const QImage onePanel = QImage::fromData(panel.png, "PNG");
    QCOMPARE(onePanel.size(), QSize(1360, 480));
    // Blue is dark: black on the one-bit panel.
    QCOMPARE(qGray(onePanel.pixel(600, 200)), 0);
}

void TestRenderClient::keepsOneProcessForManyPictures()
{
    std::unique_ptr<RenderClient> client(realClient(m_views));
    QCOMPARE(QCoro::waitFor(draw(*client, 0)).error, QString());
    const qint64 pid = client->processId();
    QVERIFY(pid != 0);
    const Outcome blue = QCoro::waitFor(draw(*client, 2));
    QCOMPARE(blue.error, QString());
    QCOMPARE(QImage::fromData(blue.png, "PNG").pixelColor(100, 100), QColor(0, 0, 255));
    QCOMPARE(client->processId(), pid);
}

QCoro::Task<Outcome> drawJob(RenderClient &client, int page, std::optional<int> nextPage)
{
    const auto job = [](int number) {
        return RenderJob{QStringLiteral("{}"), number, QStringLiteral("preview"), {}, 1};
    };
    Outcome outcome;
    try {
        outcome.png = co_await client.render(job(page), nextPage ? std::optional(job(*nextPage)) : std::nullopt);
    } catch (const Problem &error) {
        outcome.error = error.message();
    }
    co_return outcome;
}

void TestRenderClient::nextPictureIsSentAhead()
{
    // Each call gets the picture it asks for, whether or not it was sent ahead by the call
    // before, and an answer sent ahead for nobody is never handed to the next caller.
    std::unique_ptr<RenderClient> client(realClient(m_views));
    const auto colourOf = [](const Outcome &outcome) {
        return QImage::fromData(outcome.png, "PNG").pixelColor(100, 100);
    };
    const Outcome first = QCoro::waitFor(drawJob(*client, 0, 2));
    QCOMPARE(first.error, QString());
    QCOMPARE(colourOf(first), QColor(0, 255, 0));
    const qint64 pid = client->processId();

    const Outcome sentAhead = QCoro::waitFor(drawJob(*client, 2, 2));
    QCOMPARE(colourOf(sentAhead), QColor(0, 0, 255));
    // Page 2 was sent ahead again; page 0 is asked for instead.
    const Outcome other = QCoro::waitFor(drawJob(*client, 0, std::nullopt));
    QCOMPARE(colourOf(other), QColor(0, 255, 0));
    const Outcome last = QCoro::waitFor(drawJob(*client, 2, std::nullopt));
    QCOMPARE(colourOf(last), QColor(0, 0, 255));
    QCOMPARE(client->processId(), pid);
}

void TestRenderClient::pageViewErrorsKeepTheProcess()
{
    // The renderer's own failure is the picture's failure, told as the renderer tells it; the
    // process is fine and keeps serving.
    std::unique_ptr<RenderClient> client(realClient(m_scratch.filePath(QStringLiteral("no-views-here"))));
    const Outcome first = QCoro::waitFor(draw(*client, 0));
    QVERIFY2(first.error.startsWith(QStringLiteral("The page view could not be loaded")), qPrintable(first.error));
    const qint64 pid = client->processId();
    QVERIFY(pid != 0);
    const Outcome second = QCoro::waitFor(draw(*client, 0));
    QVERIFY(second.error.startsWith(QStringLiteral("The page view could not be loaded")));
    QCOMPARE(client->processId(), pid);
}

void TestRenderClient::killedDuringAJobFailsThatPictureOnly()
{
    std::unique_ptr<RenderClient> client(realClient(m_views));
    QCOMPARE(QCoro::waitFor(draw(*client, 0)).error, QString());
    const qint64 first = client->processId();

    // Page 1 never becomes ready, so the renderer is still busy with it when it is killed.
    QSignalSpy taken(client.get(), &RenderClient::jobTaken);
    QCoro::Task<Outcome> stuck = draw(*client, 1);
    QVERIFY(taken.wait());
    QCOMPARE(::kill(pid_t(first), SIGKILL), 0);
    const Outcome killed = QCoro::waitFor(std::move(stuck));
    QCOMPARE(killed.error, QStringLiteral("The page renderer stopped: it was ended by signal 9."));
    QVERIFY(killed.png.isEmpty());

    // The next picture comes from a new process.
    const Outcome again = QCoro::waitFor(draw(*client, 2));
    QCOMPARE(again.error, QString());
    QCOMPARE(QImage::fromData(again.png, "PNG").pixelColor(10, 10), QColor(0, 0, 255));
    QVERIFY(client->processId() != 0);
    QVERIFY(client->processId() != first);
}

void TestRenderClient::hangingRendererIsStoppedAfterTheTimeout()
{
    std::unique_ptr<RenderClient> client(fakeClient("exec sleep 60\n"));
    client->setAnswerTimeout(400ms);
    QCoro::Task<Outcome> waiting = draw(*client, 0);
    QTRY_VERIFY(client->processId() != 0);
    const qint64 pid = client->processId();
    const Outcome outcome = QCoro::waitFor(std::move(waiting));
    QCOMPARE(outcome.error, QStringLiteral("The page renderer stopped: it did not answer within 0.4 seconds."));
    // It was ended, not left running.
    QTRY_VERIFY(processGone(pid));
}

void TestRenderClient::rendererFaults_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("error");
    const QString unreadable = QStringLiteral("The page renderer stopped: its answer could not be read.");
    QTest::newRow("prints text") << QByteArray("echo 'GL version 4.6' ; exec sleep 60\n") << unreadable;
    QTest::newRow("packs a message that is no reply")
        << QByteArray("printf 'TSR1\\000\\000\\000\\001X' ; exec sleep 60\n") << unreadable;
    QTest::newRow("answers and stops half-way")
        << QByteArray("printf 'TSR1\\000\\000\\001\\000P\\211PNG' ; exit 0\n")
        << QStringLiteral("The page renderer stopped: it exited with status 0 before answering.");
    QTest::newRow("exits with an error") << QByteArray("exit 2\n")
                                         << QStringLiteral(
                                                "The page renderer stopped: it exited with status 2 before answering.");
    QTest::newRow("exits at once, twice")
        << QByteArray("exit 0\n")
        << QStringLiteral("The page renderer stopped: it exited with status 0 before answering.");
    // The user's exported secrets stay out of the renderer; what it needs reaches it.
    QTest::newRow("sees no token")
        << QByteArray(
               "env | grep -q '^GH_TOKEN=' && exit 3\n[ -n \"$HOME\" ] && [ \"$QT_QPA_PLATFORM\" = offscreen ] && "
               "exit 4\nexit 5\n")
        << QStringLiteral("The page renderer stopped: it exited with status 4 before answering.");
    QTest::newRow("crashes") << QByteArray("kill -SEGV $$\n")
                             << QStringLiteral("The page renderer stopped: it was ended by signal 11.");
}

void TestRenderClient::rendererFaults()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, error);
    qputenv("GH_TOKEN", "ghp_not_for_the_renderer");
    std::unique_ptr<RenderClient> client(fakeClient(script));
    QCoro::Task<Outcome> waiting = draw(*client, 0);
    const qint64 pid = client->processId();
    const Outcome outcome = QCoro::waitFor(std::move(waiting));
    QCOMPARE(outcome.error, error);
    QVERIFY(outcome.png.isEmpty());
    if (pid != 0)
        QTRY_VERIFY(processGone(pid));
    QCOMPARE(client->processId(), qint64(0));
}

void TestRenderClient::missingProgramCannotStart()
{
    RenderClient client(m_scratch.filePath(QStringLiteral("no-such-renderer")), {});
    const Outcome outcome = QCoro::waitFor(draw(client, 0));
    QVERIFY2(outcome.error.startsWith(QStringLiteral("The page renderer could not be started: ")),
             qPrintable(outcome.error));
}

void TestRenderClient::idleRendererEndsAndIsStartedAgain()
{
    std::unique_ptr<RenderClient> client(realClient(m_views, {QStringLiteral("--idle-ms"), QStringLiteral("300")}));
    QCOMPARE(QCoro::waitFor(draw(*client, 0)).error, QString());
    const qint64 first = client->processId();
    QVERIFY(first != 0);
    QTRY_COMPARE_WITH_TIMEOUT(client->processId(), qint64(0), 10000);
    QTRY_VERIFY(processGone(first));
    const Outcome again = QCoro::waitFor(draw(*client, 2));
    QCOMPARE(again.error, QString());
    QVERIFY(client->processId() != 0);
}

void TestRenderClient::rendererProcessIsQuiet()
{
    // Started by hand, without the card's environment: one job, then the input closes. Standard
    // output carries exactly the one answer and standard error nothing at all, also from the web
    // engine.
    QProcess helper;
    helper.start(QStringLiteral(TESSARINE_BINARY),
                 {QStringLiteral("render-helper"), QStringLiteral("--views"), m_views});
    QVERIFY(helper.waitForStarted());
    helper.write(
        RenderStream::pack(RenderJob{QStringLiteral("{}"), 0, QStringLiteral("preview"), std::nullopt, 1}.toBytes()));
    helper.closeWriteChannel();
    QVERIFY(helper.waitForFinished(60000));
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    QCOMPARE(helper.exitCode(), 0);
    QCOMPARE(QString::fromLocal8Bit(helper.readAllStandardError()), QString());
    RenderStream answers;
    answers.append(helper.readAllStandardOutput());
    int taken = 0;
    const std::optional<QByteArray> answer = nextReply(answers, taken);
    QVERIFY(answer);
    QCOMPARE(taken, 1);
    const std::optional<RenderReply> reply = RenderReply::fromBytes(*answer);
    QVERIFY(reply && reply->png);
    QCOMPARE(QImage::fromData(*reply->png, "PNG").size(), QSize(1360, 480));
    QCOMPARE(answers.pending(), qsizetype(0));
    QVERIFY(!answers.next());
}

void TestRenderClient::rendererProcessAnswersInTheOrderOfTheJobs()
{
    // Jobs sent together are drawn while the ones before are encoded; the answers still come in
    // the order of the jobs, the last one also after the input has closed.
    QProcess helper;
    helper.start(QStringLiteral(TESSARINE_BINARY),
                 {QStringLiteral("render-helper"), QStringLiteral("--views"), m_views});
    QVERIFY(helper.waitForStarted());
    const QList<int> pages{0, 2, 2, 0, 2};
    for (int page : pages)
        helper.write(RenderStream::pack(
            RenderJob{QStringLiteral("{}"), page, QStringLiteral("preview"), std::nullopt, 3}.toBytes()));
    helper.closeWriteChannel();
    QVERIFY(helper.waitForFinished(60000));
    QCOMPARE(helper.exitCode(), 0);
    RenderStream answers;
    answers.append(helper.readAllStandardOutput());
    int taken = 0;
    for (int page : pages) {
        const std::optional<QByteArray> answer = nextReply(answers, taken);
        QVERIFY(answer);
        const std::optional<RenderReply> reply = RenderReply::fromBytes(*answer);
        QVERIFY(reply && reply->png);
        QCOMPARE(QImage::fromData(*reply->png, "PNG").pixelColor(3000, 1000),
                 page == 2 ? QColor(0, 0, 255) : QColor(0, 255, 0));
    }
    QCOMPARE(taken, pages.size());
    QVERIFY(!answers.next());
}

void TestRenderClient::rendererProcessEndsOnInputThatIsNoJob_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::newRow("text") << QByteArray("draw page 0\n");
    QTest::newRow("a message that is no job") << RenderStream::pack(R"({"page": 0})");
}

void TestRenderClient::rendererProcessEndsOnInputThatIsNoJob()
{
    QFETCH(QByteArray, input);
    QProcess helper;
    helper.start(QStringLiteral(TESSARINE_BINARY),
                 {QStringLiteral("render-helper"), QStringLiteral("--views"), m_views});
    QVERIFY(helper.waitForStarted());
    helper.write(input);
    QVERIFY(helper.waitForFinished(60000));
    QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
    QCOMPARE(helper.exitCode(), 3);
    QCOMPARE(helper.readAllStandardOutput(), QByteArray());
}

QTEST_GUILESS_MAIN(TestRenderClient)
#include "TestRenderClient.moc"
